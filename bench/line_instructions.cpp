// Makes argv[1] records of the kind argv[2] names, for an instruction count
// under callgrind: two runs of different counts give the cost of one record
// without the start-up.
//   utc, local   a catalogue log line (prolog + "%1s" body), a fresh message each
//   conversions  the same with a catalogue text of several conversions
//   trace        a selected trace record of six fields, logged to a discarding output
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "lent_component.h"
#include "qmerrlog/qmerrlog.h"

namespace {

void DiscardLine(const char*, int) {}

unsigned long CatalogueLines(long lines, bool local, bool conversions) {
    LentComponent lent(kConversionsText);
    if (conversions) QmInternalAccess<LentComponent>::Lend(*theLogger(), &lent);
    const int id = static_cast<int>(QmMessageId(conversions ? 2 : 1, QM_MSG_ERROR, 1));
    unsigned long sum = 0;
    for (long i = 0; i < lines; ++i) {
        CQmErrLogMessage message(local);
        message.FormatLogProlog("src/server/dbconnect.cpp", 42, 0);
        if (conversions) {
            message.FormatLogMessage(id, "pool", static_cast<int>(i), "db.internal", 5432u, 250, 40);
        } else {
            message.FormatLogMessage(id, "Cannot reach the database");
        }
        sum += static_cast<unsigned long>(message.GetBufferLen());
    }
    if (conversions) QmInternalAccess<LentComponent>::Lend(*theLogger(), nullptr);
    return sum;
}

unsigned long TraceRecords(long records) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "qmerrlog_line_instructions.cfg";
    std::ofstream(path) << "components: Log\ndata: Date, PreciseTime, Tid, Function, User, Message\n";
    CQmLogger* logger = getMyLogger("line-instructions");
    logger->EnableTrace(logger->NewLogOutput(QM_OUTPUT_SYNC_CALLBACK, &DiscardLine), 0, nullptr,
                        path.string().c_str(), false, false, false);
    const unsigned int component = QmTraceComponentId(1, 0);
    CQmTraceData record;
    unsigned long sum = 0;
    for (long i = 0; i < records; ++i) {
        if (!logger->ShouldTrace(component, &record)) break;
        bool ok = record.SetFieldValue(QM_FIELD_DATE, 0);
        ok &= record.SetFieldValue(QM_FIELD_PRECISETIME, 0);
        ok &= record.SetFieldValue(QM_FIELD_TID, 0);
        ok &= record.SetFieldValue(QM_FIELD_FUNCTION, "HandleRequest");
        ok &= record.SetFieldValue(9u, "alice");
        ok &= record.SetFieldValue(QM_FIELD_MESSAGE, record.FormatTraceMessage("request %d served from %s",
                                                                               static_cast<int>(i), "cache"));
        if (ok && record.Format() && record.Log())
            sum += static_cast<unsigned long>(record.GetMessage().GetBufferLen());
        record.LeaveNoBody();
    }
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return sum;
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 1000;
    const char* kind = argc > 2 ? argv[2] : "utc";
    theLogger();
    unsigned long sum = 0;
    if (std::strcmp(kind, "trace") == 0) {
        sum = TraceRecords(count);
    } else {
        sum = CatalogueLines(count, std::strcmp(kind, "local") == 0, std::strcmp(kind, "conversions") == 0);
    }
    return sum == 0 ? 1 : 0;
}
