// Formats argv[1] catalogue log lines (prolog + "%1s" body) with a fresh
// message each, for an instruction count under callgrind: two runs of
// different counts give the cost of one line without the start-up.
#include <cstdlib>

#include "qmerrlog/qmerrlog.h"

int main(int argc, char** argv) {
    const long lines = argc > 1 ? std::atol(argv[1]) : 1000;
    const bool local = argc > 2 && argv[2][0] == 'l';
    const int id = static_cast<int>(QmMessageId(1, QM_MSG_ERROR, 1));
    theLogger();
    unsigned long sum = 0;
    for (long i = 0; i < lines; ++i) {
        CQmErrLogMessage message(local);
        message.FormatLogProlog("src/server/dbconnect.cpp", 42, 0);
        message.FormatLogMessage(id, "Cannot reach the database");
        sum += static_cast<unsigned long>(message.GetBufferLen());
    }
    return sum == 0 ? 1 : 0;
}
