// Consumes the installed library: one line to a callback, checked byte by byte after the prolog.
#include <qmerrlog/qmerrlog.h>

#include <cstdio>
#include <cstring>

static char g_line[512];

static void Keep(const char* text, int length) {
    std::snprintf(g_line, sizeof g_line, "%.*s", length, text);
}

int main() {
    CQmLogger* logger = getMyLogger("consumer");
    CQmLogOutput* output = logger->NewLogOutput(QM_OUTPUT_SYNC_CALLBACK, &Keep);
    if (!logger->SetLogOutput(output)) return 1;
    CQmErrLogMessage message(false);
    message.FormatLogProlog("consumer.cpp", 7, 0);
    if (!message.FormatLogMessage(static_cast<int>(QmMessageId(1, QM_MSG_INFO, 1)), "installed package works")) return 2;
    if (!logger->LogErrMsg(message)) return 3;
    const char* body = std::strstr(g_line, "[consumer.cpp:7][INFO] installed package works\n");
    std::printf("%s", g_line);
    return body != nullptr ? 0 : 4;
}
