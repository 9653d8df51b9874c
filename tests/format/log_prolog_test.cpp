#include <cstdlib>
#include <ctime>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/process.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"

namespace {

// [pid/tid][Www Mmm dd yyyy hh:mm:ss][source]
const std::regex kProlog(
    R"(^\[(\d+)/(\d+)\]\[([A-Z][a-z]{2} [A-Z][a-z]{2} \d{2} \d{4} \d{2}:\d{2}:\d{2})\]\[(.*)\]$)");

struct Prolog {
    std::string pid, tid, date, source;
};

Prolog ParseProlog(const char* text) {
    std::cmatch m;
    EXPECT_TRUE(std::regex_match(text, m, kProlog)) << text;
    if (m.empty()) return {};
    return {m[1], m[2], m[3], m[4]};
}

std::string SourceOf(const char* file, int line) {
    CQmErrLogMessage message(false);
    message.FormatLogProlog(file, line, 0);
    return ParseProlog(message.GetBuffer()).source;
}

// True when the prolog's date is the text of some second in [first, last]
// under the given conversion.
bool DateWithin(const std::string& date, std::time_t first, std::time_t last,
                std::tm* (*convert)(const std::time_t*)) {
    for (std::time_t t = first; t <= last; ++t) {
        char text[32];
        if (CQmErrLogMessage::GetDateTime(convert(&t), text, sizeof text) && date == text) {
            return true;
        }
    }
    return false;
}

// Sets TZ for one test and puts the old value back.
struct ZoneOverride {
    explicit ZoneOverride(const char* zone) : old(std::getenv("TZ")) {
        if (old) saved = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneOverride() {
        if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
        tzset();
    }
    const char* old;
    std::string saved;
};

}  // namespace

TEST(LogProlog, CarriesProcessThreadAndStoresCode) {
    CQmErrLogMessage message(false);
    EXPECT_EQ(message.GetCode(), 0);
    EXPECT_TRUE(message.FormatLogProlog("db/connect.src", 42, 7));
    const Prolog p = ParseProlog(message.GetBuffer());
    EXPECT_EQ(p.pid, std::to_string(qm::platform::CurrentProcessId()));
    EXPECT_EQ(p.tid, std::to_string(qm::platform::CurrentThreadId()));
    EXPECT_EQ(p.source, "connect.src:42");
    EXPECT_EQ(message.GetCode(), 7);
    EXPECT_EQ(message.GetBufferLen(), static_cast<int>(std::string(message.GetBuffer()).size()));

    // A second prolog replaces the first; cleaning up empties text and code.
    message.FormatLogProlog("x", 1, 3);
    EXPECT_EQ(ParseProlog(message.GetBuffer()).source, "x:1");
    EXPECT_TRUE(message.CleanUpMessage());
    EXPECT_STREQ(message.GetBuffer(), "");
    EXPECT_EQ(message.GetCode(), 0);
}

TEST(LogProlog, SourceShowsFilePartAndOnlyPositiveLines) {
    EXPECT_EQ(SourceOf("main.src", 0), "main.src");
    EXPECT_EQ(SourceOf("main.src", -5), "main.src");
    EXPECT_EQ(SourceOf("/a/b/main.src", 9), "main.src:9");
    EXPECT_EQ(SourceOf(nullptr, 3), ":3");
    // Only the platform separator splits: a foreign separator stays in the name.
    EXPECT_EQ(SourceOf("c:\\src\\main.src", 2), "c:\\src\\main.src:2");
}

TEST(LogProlog, FlagChoosesUtcOrLocalWhateverTheZone) {
    ZoneOverride zone("QMT-9:30");
    CQmErrLogMessage utc(false), local(true);
    const std::time_t first = std::time(nullptr);
    utc.FormatLogProlog("f", 1, 0);
    local.FormatLogProlog("f", 1, 0);
    const std::time_t last = std::time(nullptr);
    const std::string utcDate = ParseProlog(utc.GetBuffer()).date;
    const std::string localDate = ParseProlog(local.GetBuffer()).date;
    EXPECT_TRUE(DateWithin(utcDate, first, last, std::gmtime)) << utcDate;
    EXPECT_TRUE(DateWithin(localDate, first, last, std::localtime)) << localDate;
    EXPECT_NE(utcDate, localDate);
}

TEST(LogProlog, AuditTextReplacesALogLine) {
    CQmErrLogMessage message(false);
    message.FormatLogProlog("f.src", 1, 0);
    EXPECT_TRUE(message.FormatAuditMessage("user %s logged in %d", "ann", 3));
    EXPECT_STREQ(message.GetBuffer(), "user ann logged in 3");
    EXPECT_FALSE(message.FormatAuditMessage(""));
    EXPECT_FALSE(message.FormatAuditMessage(nullptr));
    EXPECT_STREQ(message.GetBuffer(), "user ann logged in 3");
}

TEST(LogProlog, ThreadsShowTheirOwnIds) {
    std::vector<std::string> tids(4);
    std::vector<std::thread> threads;
    for (auto& tid : tids) {
        threads.emplace_back([&tid] {
            CQmErrLogMessage message(true);
            message.FormatLogProlog("t", 1, 0);
            const Prolog p = ParseProlog(message.GetBuffer());
            EXPECT_EQ(p.pid, std::to_string(qm::platform::CurrentProcessId()));
            tid = p.tid;
        });
    }
    for (auto& t : threads) t.join();
    for (std::size_t i = 1; i < tids.size(); ++i) EXPECT_NE(tids[0], tids[i]);
}

TEST(LogProlog, DefaultMessageFollowsTheDefaultLogger) {
    CQmLogger* logger = theLogger();
    const bool before = logger->ShouldUseLocalTime();
    for (bool local : {true, false}) {
        logger->UseLocalTime(local);
        EXPECT_EQ(CQmErrLogMessage().UsesLocalTime(), local);
    }
    logger->UseLocalTime(before);
}
