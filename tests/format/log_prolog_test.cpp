// The log line prolog "[pid/tid][date][source]".
#include <chrono>
#include <ctime>
#include <regex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/clock.h"
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

TEST(LogProlog, CarriesTheCallersIdsTheFilePartAndOnlyPositiveLines) {
    // Only the platform separator splits: a foreign one stays in the name.
    const char native = qm::platform::kDirectorySeparator;
    const char foreign = native == '/' ? '\\' : '/';
    const std::string nested = std::string("db") + native + "connect.src";
    const std::string alien = std::string("c:") + foreign + "src" + foreign + "main.src";
    const std::string alienSource = alien + ":2";
    // A name of any length gives a bounded line: 255 bytes at most, escapes
    // included and never cut in half; control characters cannot end the line.
    const std::string huge = std::string("dir") + native + std::string(10000, 'n');
    const std::string hugeSource = std::string(255, 'n') + ":7";
    const std::string forged = std::string(253, 'f') + "\n[x]";
    const std::string forgedSource = std::string(253, 'f') + "\\n";
    const struct { const char* file; int line; const char* source; } cases[] = {
        {nested.c_str(), 42, "connect.src:42"}, {"main.src", 0, "main.src"},
        {"main.src", -5, "main.src"}, {nullptr, 3, ":3"},
        {alien.c_str(), 2, alienSource.c_str()}, {huge.c_str(), 7, hugeSource.c_str()},
        {"a\r\nb\x1b.cpp", 0, "a\\r\\nb\\x1b.cpp"}, {forged.c_str(), 0, forgedSource.c_str()}};
    CQmErrLogMessage message(false);  // one message: each prolog replaces the last
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_TRUE(message.FormatLogProlog(c.file, c.line, c.line));
        EXPECT_EQ(Parse(message).ids, CallerIds());
        EXPECT_EQ(Parse(message).source, c.source);
        EXPECT_EQ(message.GetCode(), c.line);
    }
    std::thread([] {
        CQmErrLogMessage other(false);
        other.FormatLogProlog("t", 1, 0);
        EXPECT_EQ(Parse(other).ids, CallerIds());
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
