// Writes argv[3] log lines through a file output of mode argv[2] to the file
// argv[1], for counting system calls per line (scripts/file-syscalls.sh).
#include <cstdlib>

#include "qmerrlog/qmerrlog.h"

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const int mode = std::atoi(argv[2]);
    const long lines = std::atol(argv[3]);
    CQmLogger* logger = getMyLogger("syscalls");
    // A limit no run reaches: the count is of ordinary lines, not rollovers.
    CQmLogOutput* output = logger->NewLogOutput(QM_OUTPUT_FILE, argv[1], mode, 100, 2);
    if (output == nullptr || !logger->SetLogOutput(output)) return 1;
    CQmErrLogMessage message(false);
    message.FormatLogProlog("src/server/dbconnect.cpp", 42, 0);
    message.FormatLogMessage(static_cast<int>(QmMessageId(1, QM_MSG_ERROR, 1)), "Cannot reach the database");
    for (long i = 0; i < lines; ++i) {
        if (!logger->LogErrMsg(message)) return 1;
    }
    return 0;
}
