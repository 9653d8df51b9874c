// A log call sits in the caller's error path: whatever the library does
// inside (opens, failed renames, lock waits, library loading, clock reads),
// the caller reads its own errno afterwards, and "%m" prints the caller's error.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include "qmerrlog/qmerrlog.h"
#include "support/temp_dir.h"

// An errno value no system call in the library produces.
constexpr int kCallersErrno = 4242;

TEST(CallerErrno, NoApiCallChangesTheCallersErrno) {
    qmtest::TempDir dir;
    const std::string config = dir.Write("trace.cfg", "Components: Log\nData: Message, Tid\n");
    const std::string missing = dir.Path("no/such/dir/x.log");
    CQmLogger* logger = getMyLogger("errno-keeper");
    CQmErrLogMessage message(false);
    CQmTraceData* record = nullptr;
    CQmError chain;
    // Installs an output; a refused one is deleted again.
    const auto InstallLog = [&](const std::string& path, int rollover) {
        CQmLogOutput* out = logger->NewLogOutput(QM_OUTPUT_FILE, path.c_str(), rollover, 0, 2);
        if (!logger->SetLogOutput(out)) logger->DeleteLogOutput(out);
    };
    const auto InstallTrace = [&](const std::string& traceConfig) {
        CQmLogOutput* out = logger->NewLogOutput(QM_OUTPUT_FILE, dir.Path("t.log").c_str(), 2, 0, 0);
        if (!logger->EnableTrace(out, 0, "|", traceConfig.c_str(), false, true, false)) logger->DeleteLogOutput(out);
    };

    const struct { const char* what; std::function<void()> run; } calls[] = {
        {"theLogger", [] { theLogger(); }},
        {"getMyLogger of a new name", [] { getMyLogger("errno-keeper-2"); }},
        {"removeMyLogger of an unknown name", [] { removeMyLogger("never-made"); }},
        {"GetThreadTraceData", [] { GetThreadTraceData(); }},
        {"refused file output", [&] { InstallLog(missing, 0); }},
        {"rolling file output installed", [&] { InstallLog(dir.Path("a.log"), 3); }},
        {"FormatLogProlog", [&] { message.FormatLogProlog(__FILE__, __LINE__, 0); }},
        {"FormatLogMessage", [&] { message.FormatLogMessage(QmMessageId(1, QM_MSG_ERROR, 1), "x"); }},
        {"LogErrMsg with rollovers", [&] { for (int i = 0; i < 3; ++i) logger->LogErrMsg(message); }},
        {"refused trace configuration", [&] { InstallTrace(missing); }},
        {"EnableTrace", [&] { InstallTrace(config); }},
        {"ShouldTraceAlloc, fields, Log",
         [&] {
             if (logger->ShouldTraceAlloc(0x01010000u, &record) && record != nullptr) {
                 record->SetFieldValue(0, "traced");
                 record->Log();
                 record->LeaveNoBody();
             }
         }},
        {"error chain logged",
         [&] {
             CQmErrData* entry = CQmError::NewErrData();
             chain.AddError(entry);
             chain.LogMessages();
             chain.Clear();
         }},
        {"DisableTrace and DisableLog", [&] { logger->DisableTrace(false); logger->DisableLog(); }},
    };
    for (const auto& call : calls) {
        errno = kCallersErrno;
        call.run();
        EXPECT_EQ(kCallersErrno, errno) << call.what;
    }
}

TEST(CallerErrno, PercentMPrintsTheCallersError) {
    CQmErrLogMessage message(false);
    errno = ENOSPC;
    message.FormatLogProlog(__FILE__, __LINE__, 0);
    message.FormatAuditMessage("write failed: %m");
    EXPECT_EQ(ENOSPC, errno);
    EXPECT_NE(nullptr, std::strstr(message.GetBuffer(), std::strerror(ENOSPC))) << message.GetBuffer();

    const char* text = CQmErrLogMessage::FormatTraceMessage("%m");
    ASSERT_NE(nullptr, text);
    EXPECT_STREQ(std::strerror(ENOSPC), text);
    CQmErrLogMessage::FreeFormattedMessage(text);
    EXPECT_EQ(ENOSPC, errno);
}
