// A program whose detached threads keep logging while main returns: through
// the default logger ("default"), a named logger ("named") or both ("both").
// Each line is formatted from the catalogue, so late calls also read the
// component table. Exit code 0 unless setting up failed.
#include <chrono>
#include <string>
#include <thread>

#include "qmerrlog/qmerrlog.h"

static void LogForever(CQmLogger* logger, int threadNumber) {
    for (unsigned long i = 0;; ++i) {
        CQmErrLogMessage message(false), audit(false);
        message.FormatLogProlog("exit_while_logging.cpp", threadNumber, 0);
        message.FormatLogMessage(static_cast<int>(QmMessageId(1, QM_MSG_INFO, 1)), "line");
        audit.FormatAuditMessage("audit %lu", i);
        logger->LogErrMsg(message), logger->LogAuditMsg(audit);
    }
}

static bool Install(CQmLogger* logger, const std::string& path) {
    return logger->SetLogOutput(logger->NewLogOutput(QM_OUTPUT_FILE, path.c_str(), 0, 0, 0)) &&
           logger->EnableAuditLogRollover(logger->NewLogOutput(QM_OUTPUT_FILE, (path + ".audit").c_str(), 0, 0, 0));
}

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string which = argv[1];
    // Where the log files go: a path prefix, e.g. "/tmp/run/exit".
    const std::string base = argc > 2 ? argv[2] : "exit_while_logging";
    CQmLogger* loggers[2] = {which != "named" ? theLogger() : nullptr,  // "default" or "both"
                             which != "default" ? getMyLogger("late") : nullptr};
    int threadNumber = 0;
    for (CQmLogger* logger : loggers) {
        if (logger == nullptr) continue;
        if (!Install(logger, base + std::to_string(threadNumber) + ".log")) return 3;
        for (int i = 0; i < 3; ++i) std::thread(LogForever, logger, ++threadNumber).detach();
    }
    // Let the threads get going, then leave while they are mid-line.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return 0;
}
