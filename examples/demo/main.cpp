// The qmerrlog demo: every kind of record a server writes, into one folder.
//
//   qmerrlog_demo OUTPUT_DIR
//
// Run it with the sample component library on the loader path (scripts/demo.sh
// does) so that its catalogue and trace components are loaded too.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "../component/qmcomponent01_messages.h"
#include "qmerrlog/qmerrlog.h"

namespace {

const unsigned int kOwnInfo = QmMessageId(1, QM_MSG_INFO, 1);
const unsigned int kOwnError = QmMessageId(1, QM_MSG_ERROR, 1);

// Callbacks run on the logging thread, inside the logger's read lock: they
// only print, and never ask the logger to switch outputs.
void PrintLine(const char* text, int length) {
    std::printf("  callback | %.*s", length, text);
}

void PrintTagged(const char* text, int length, void* user) {
    std::printf("  %s | %.*s", static_cast<const char*>(user), length, text);
}

void Section(const char* title) {
    std::printf("\n== %s\n", title);
}

// A catalogue line: the prolog, then the catalogue text of the id formatted
// with the arguments, then the chosen logger.
template <typename... Args>
bool LogLine(CQmLogger* logger, unsigned int messageId, const char* file, int line, Args... args) {
    CQmErrLogMessage message(logger->ShouldUseLocalTime());
    message.FormatLogProlog(file, line, 0);
    return message.FormatLogMessage(static_cast<int>(messageId), args...) && logger->LogErrMsg(message);
}

// The platform's own separator: the rollover splits paths at it.
std::string Join(const std::string& dir, const char* name) {
    return (std::filesystem::path(dir) / name).make_preferred().string();
}

void WriteFile(const std::string& path, const char* text) {
    std::ofstream(path, std::ios::binary) << text;
}

void ErrorLogToCallbacks(CQmLogger* named) {
    Section("error log lines: default logger and a named logger, to callbacks");
    CQmLogger* logger = theLogger();
    logger->SetLogOutput(logger->NewLogOutput(QM_OUTPUT_SYNC_CALLBACK, &PrintLine));
    named->SetLogOutput(
        named->NewLogOutput(QM_OUTPUT_SYNC_PARAM_CALLBACK, &PrintTagged, const_cast<char*>("named   ")));

    LogLine(logger, kOwnInfo, "src/demo/main.cpp", __LINE__, "demo started");

    LogLine(logger, QM01_SERVICE_STARTED, "src/demo/session.cpp", 120, "sessions", 8443);
    LogLine(logger, QM01_CACHE_NEARLY_FULL, "src/demo/cache.cpp", 77, 9500, 10000);
    LogLine(named, QM01_BACKEND_REFUSED, "src/demo/backend.cpp", 310, "ldap01", 49);
    if (logger->FetchMsg(QM01_SERVICE_STARTED) == nullptr) {
        std::printf("  (libqmcomponent01.so is not on the loader path: its lines were skipped)\n");
    }
}

void ErrorChain() {
    Section("error chain: collected along one request, logged in one go");
    CQmError chain;
    const char* steps[] = {"open session store", "read policy", "reply to agent"};
    for (unsigned int i = 0; i < 3; ++i) {
        CQmErrData* entry = CQmError::NewErrData();
        entry->SetErrorCode(100 + i);
        entry->GetErrLogMessage().FormatLogProlog("src/demo/request.cpp", 200 + static_cast<int>(i), 0);
        entry->GetErrLogMessage().FormatLogMessage(static_cast<int>(kOwnError), steps[i]);
        chain.AddError(entry);
    }
    chain.LogMessages();
    std::printf("  last error code: %u\n", chain.GetLastError());
}

void FilesWithRollover(const std::string& dir) {
    Section("error log file with rollover and pruning, audit file");
    CQmLogger* logger = getMyLogger("files");
    const std::string log = Join(dir, "server.log");
    // Mode 4: set an existing file aside at start, then roll over at 1 MB; keep 2 backups.
    CQmLogOutput* file = logger->NewLogOutput(QM_OUTPUT_FILE, log.c_str(), 4, 1, 2);
    if (file == nullptr || !logger->SetLogOutput(file)) {
        logger->DeleteLogOutput(file);
        std::printf("  cannot open %s\n", log.c_str());
        return;
    }
    CQmErrLogMessage message(false);
    const std::string filler(200, '.');
    for (int i = 0; i < 16000; ++i) {  // about 3.5 MB: three rollovers, the oldest backup pruned
        message.FormatLogProlog("src/demo/load.cpp", i, 0);
        message.FormatLogMessage(static_cast<int>(kOwnInfo), (std::to_string(i) + " " + filler).c_str());
        logger->LogErrMsg(message);
    }
    std::printf("  wrote 16000 lines to %s (1 MB limit, 2 backups kept: see server_*.log)\n", log.c_str());

    const std::string audit = Join(dir, "audit.log");
    if (logger->EnableAuditLogRollover(logger->NewLogOutput(QM_OUTPUT_FILE, audit.c_str(), 3, 10, 5))) {
        message.FormatAuditMessage("%s user=%s action=%s result=%s\n", "2009-01-05T13:45:07Z", "alice", "login",
                                   "granted");
        logger->LogAuditMsg(message);
        message.FormatAuditMessage("%s user=%s action=%s result=%s\n", "2009-01-05T13:46:10Z", "bob",
                                   "read /payroll", "denied");
        logger->LogAuditMsg(message);
        std::printf("  two audit records in %s\n", audit.c_str());
    }
}

void TraceLayouts(const std::string& dir) {
    Section("trace records in the four layouts");
    const std::string config = Join(dir, "trace.cfg");
    WriteFile(config,
              "# trace the library's own component and the sample's session tracing\n"
              "components: Log, Sample/Session\n"
              "data: Date, PreciseTime, Tid, Function, User, Message\n"
              "User !=healthcheck\n");
    const char* names[] = {"trace_bracketed.log", "trace_column.log", "trace_delimited.log", "trace_tagged.log"};
    for (int format = 0; format < 4; ++format) {
        CQmLogger* logger = getMyLogger(names[format]);
        const std::string path = Join(dir, names[format]);
        CQmLogOutput* out = logger->NewLogOutput(QM_OUTPUT_FILE, path.c_str(), 0, 0, 0);
        if (!logger->EnableTrace(out, format, " | ", config.c_str(), false, false, false)) {
            logger->DeleteLogOutput(out);
            continue;
        }
        const char* users[] = {"alice", "healthcheck", "bob"};
        for (const char* user : users) {
            CQmTraceData* record = nullptr;
            if (!logger->ShouldTraceAlloc(QmTraceComponentId(1, 1), &record)) continue;
            // Each call answers whether the record survives its filters.
            const bool keep =
                record->SetFieldValue(QM_FIELD_FUNCTION, "Authorize") && record->SetFieldValue(9, user) &&
                record->SetFieldValue(QM_FIELD_MESSAGE, record->FormatTraceMessage("policy %s checked", "P-7")) &&
                record->SetFieldValue(QM_FIELD_TID, 0) && record->SetFieldValue(QM_FIELD_PRECISETIME, 0);
            if (keep) {
                record->Format();
                record->Log();
            }
            record->LeaveNoBody();
        }
        std::printf("  %s\n", path.c_str());
    }
    std::printf("  trace configuration: %s\n", config.c_str());
}

void Console() {
    Section("console output");
    CQmLogger* logger = getMyLogger("console");
    if (!logger->SetLogOutput(logger->NewLogOutput(QM_OUTPUT_CONSOLE))) return;
    std::fflush(stdout);  // the console writes straight to standard output
    CQmErrLogMessage message(false);
    message.FormatLogProlog("src/demo/main.cpp", __LINE__, 0);
    message.FormatLogMessage(static_cast<int>(QmMessageId(1, QM_MSG_WARNING, 2)), "written to the console");
    logger->LogErrMsg(message);
    logger->DisableLog();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    std::printf("qmerrlog demo, files in %s\n", dir.c_str());
    std::printf("components: %s\n", theLogger()->GetAvailableComponents());

    ErrorLogToCallbacks(getMyLogger("named"));
    ErrorChain();
    FilesWithRollover(dir);
    TraceLayouts(dir);
    Console();
    std::printf("\nDone. Output folder: %s\n", dir.c_str());
    return 0;
}
