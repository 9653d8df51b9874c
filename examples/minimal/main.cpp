// The smallest useful program: one error log line through the default logger
// to standard output, and one through a named logger to a rolling file.
#include <qmerrlog/qmerrlog.h>

#include <cstdio>
#include <filesystem>

static void Print(const char* text, int length) {
    std::printf("%.*s", length, text);
}

int main() {
    CQmLogger* logger = theLogger();
    CQmLogOutput* out = logger->NewLogOutput(QM_OUTPUT_SYNC_CALLBACK, &Print);
    if (!logger->SetLogOutput(out)) logger->DeleteLogOutput(out);  // refused: still ours to delete

    CQmErrLogMessage message;  // local time or UTC, as the default logger says
    message.FormatLogProlog(__FILE__, __LINE__, 0);
    // Component 1 is the library's own catalogue: its messages 1 to 3 print their argument.
    message.FormatLogMessage(static_cast<int>(QmMessageId(1, QM_MSG_ERROR, 1)), "disk full");
    logger->LogErrMsg(message);

    // A named logger writing to agent.log, rolled over at 5 MB, keeping 3 backups.
    // The rollover puts backups beside the file: give it a path with a directory.
    const std::string path = std::filesystem::absolute("agent.log").string();
    CQmLogger* agent = getMyLogger("agent");
    CQmLogOutput* file = agent->NewLogOutput(QM_OUTPUT_FILE, path.c_str(), 3, 5, 3);
    if (!agent->SetLogOutput(file)) {
        agent->DeleteLogOutput(file);
        return 1;
    }
    message.FormatLogProlog(__FILE__, __LINE__, 0);
    message.FormatLogMessage(static_cast<int>(QmMessageId(1, QM_MSG_INFO, 1)), "agent started");
    return agent->LogErrMsg(message) ? 0 : 1;
}
