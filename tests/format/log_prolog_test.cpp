// The log line prolog "[pid/tid][date][source]".
#include <chrono>
#include <ctime>
#include <regex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/process.h"
#include "qmerrlog/message.h"

namespace {

struct Prolog { std::string ids, date, source; };

// The whole buffer must be one prolog: nothing before, nothing after.
Prolog Parse(const CQmErrLogMessage& message) {
    static const std::regex kProlog(
        R"(^\[(\d+/\d+)\]\[([A-Z][a-z]{2} [A-Z][a-z]{2} \d{2} \d{4} \d{2}:\d{2}:\d{2})\]\[(.*)\]$)");
    std::cmatch m;
    EXPECT_TRUE(std::regex_match(message.GetBuffer(), m, kProlog)) << message.GetBuffer();
    return m.empty() ? Prolog{} : Prolog{m[1], m[2], m[3]};
}

std::string CallerIds() {
    return std::to_string(qm::platform::CurrentProcessId()) + "/" + std::to_string(qm::platform::CurrentThreadId());
}

// Source names come from compilers and Java callers on either platform, so
// both separators cut everywhere: the last of either kind wins. A long name
// gives a bounded line: 255 bytes at most, escapes included and never cut in
// half; control characters cannot end the line.
TEST(LogProlog, CarriesTheCallersIdsTheFilePartAndOnlyPositiveLines) {
    const std::string huge = "dir/" + std::string(10000, 'n'), hugeSource = std::string(255, 'n') + ":7";
    const std::string forged = std::string(253, 'f') + "\n[x]", forgedSource = std::string(253, 'f') + "\\n";
    const struct { const char* file; int line; const char* source; } cases[] = {
        {"db/connect.src", 42, "connect.src:42"}, {"main.src", 0, "main.src"},
        {"main.src", -5, "main.src"}, {nullptr, 3, ":3"},
        {huge.c_str(), 7, hugeSource.c_str()},
        {"a\r\nb\x1b.cpp", 0, "a\\r\\nb\\x1b.cpp"}, {forged.c_str(), 0, forgedSource.c_str()},
        {"C:\\src\\db\\connect.cpp", 9, "connect.cpp:9"},  // MSVC, Java on Windows
        {"C:/src/db/connect.cpp", 9, "connect.cpp:9"},
        {"C:\\src/db\\connect.cpp", 9, "connect.cpp:9"}, {"C:\\src\\db/connect.cpp", 9, "connect.cpp:9"},
        {"\\\\server\\share\\A.java", 9, "A.java:9"},  // UNC
        {"dir\\", 9, ":9"}, {"/", 9, ":9"}, {"\\", 9, ":9"},  // nothing after the last separator
        {"C:connect.cpp", 9, "C:connect.cpp:9"}};          // a drive letter alone is no separator
    CQmErrLogMessage message(false);  // one message: each prolog replaces the last
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_TRUE(message.FormatLogProlog(c.file, c.line, c.line) && message.GetCode() == c.line);
        EXPECT_EQ(Parse(message).ids + " " + Parse(message).source, CallerIds() + " " + c.source);
    }
    const char* name = "C:\\src/db\\connect.cpp";  // the file part points into the name itself
    EXPECT_EQ(CQmErrLogMessage::PathnameFindFilePart(name), name + 10);
    std::thread([] {
        CQmErrLogMessage other(false);
        EXPECT_TRUE(other.FormatLogProlog("t", 1, 0) && Parse(other).ids == CallerIds());
    }).join();
}

TEST(LogProlog, FlagChoosesUtcOrLocalTime) {  // the tests run far from UTC
    using Clock = std::chrono::system_clock;   // std::time may lag the fine-grained clock
    for (bool local : {false, true}) {
        CQmErrLogMessage message(local);
        std::time_t first, last;
        do {  // again when the second turned meanwhile
            first = Clock::to_time_t(Clock::now());
            message.FormatLogProlog("f", 1, 0);
            last = Clock::to_time_t(Clock::now());
        } while (first != last);
        char expected[32];
        ASSERT_TRUE(CQmErrLogMessage::GetDateTime((local ? std::localtime : std::gmtime)(&first), expected, 32));
        EXPECT_EQ(Parse(message).date, expected) << (local ? "local" : "UTC");
    }
}

}  // namespace
