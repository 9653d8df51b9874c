// The message's static helpers: ids, date and time texts, bounded formatting.
#include <ctime>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "format/date_time_text.h"
#include "platform/process.h"
#include "qmerrlog/message.h"

namespace {

const std::tm kMonday = [] {  // Monday, 5 January 2009, 13:45:07
    std::tm t{};
    t.tm_year = 109, t.tm_mon = 0, t.tm_mday = 5, t.tm_wday = 1, t.tm_hour = 13, t.tm_min = 45, t.tm_sec = 7;
    return t;
}();

TEST(MessageUtilities, HelpersRefuseSmallOrNullBuffersWithoutWriting) {
    char buffer[32] = "untouched";
    EXPECT_FALSE(CQmErrLogMessage::GetPid(buffer, 9));
    EXPECT_FALSE(CQmErrLogMessage::GetTid(buffer, 14));
    EXPECT_FALSE(CQmErrLogMessage::GetDateTime(&kMonday, buffer, 24));
    EXPECT_FALSE(CQmErrLogMessage::GetTime(0, buffer, false, 24));
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_FALSE(CQmErrLogMessage::GetPid(nullptr, 32) || CQmErrLogMessage::GetDateTime(nullptr, buffer, 32));
    EXPECT_EQ(CQmErrLogMessage::PathnameFindFilePart(nullptr), nullptr);
    ASSERT_TRUE(CQmErrLogMessage::GetPid(buffer, 10) && CQmErrLogMessage::GetTid(buffer, 15));
    EXPECT_EQ(buffer, std::to_string(qm::platform::CurrentThreadId()));
}

TEST(MessageUtilities, TimeKindsHaveTheirFormsWithEnglishNamesWhateverTheLocale) {
    const struct { int kind, millisecond; const char* text; } cases[] = {
        {QM_TIME_DATE, 0, "01/05/2009"}, {QM_TIME_TIME, 0, "13:45:07"}, {QM_TIME_PRECISE, 5, "13:45:07.5"},
        {QM_TIME_PRECISE, 120, "13:45:07.120"}, {QM_TIME_DATE_TIME, 0, "Mon Jan 05 2009 13:45:07"},
        {-1, 0, "Mon Jan 05 2009 13:45:07"}};
    char text[64];
    for (const auto& c : cases) {
        EXPECT_GT(qm::FormatTimeOfKind(c.kind, kMonday, c.millisecond, text, sizeof text), 0u);
        EXPECT_STREQ(text, c.text) << "kind " << c.kind;
    }
    std::tm t = kMonday;
    t.tm_wday = 6, t.tm_mon = 11, t.tm_mday = 31, t.tm_hour = 0;
    ASSERT_TRUE(CQmErrLogMessage::GetDateTime(&t, text, 25));
    EXPECT_STREQ(text, "Sat Dec 31 2009 00:45:07");
    t.tm_mon = 12;  // no such month: refused rather than read past the names
    EXPECT_FALSE(CQmErrLogMessage::GetDateTime(&t, text, 25));
    ASSERT_TRUE(CQmErrLogMessage::GetTime(QM_TIME_PRECISE, text, true, 25));  // from the clock
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{2}:\d{2}:\d{2}\.(0|[1-9]\d{0,2}))"))) << text;
}

TEST(BoundedFormat, TextsKeepAtMost4095BytesAndAFormattingErrorEmptiesThem) {
    const std::string big(5000, 'q');
    CQmErrLogMessage message(false);
    message.FormatLogProlog("f.src", 1, 0);
    ASSERT_TRUE(message.FormatAuditMessage("%s!", big.c_str()));  // replaces the prolog
    EXPECT_EQ(message.GetBuffer(), big.substr(0, 4095));
    EXPECT_FALSE(message.FormatAuditMessage("") || message.FormatAuditMessage(nullptr));
    EXPECT_EQ(message.GetBufferLen(), 4095);  // a refused text leaves the last one
    // A wide character with no multibyte form is a real error, not lack of room.
    const wchar_t unpaired[] = {static_cast<wchar_t>(0xD800), 0};
    ASSERT_TRUE(message.FormatAuditMessage("ab%ls", unpaired));
    EXPECT_EQ(message.GetBufferLen(), 0);
    EXPECT_EQ(CQmErrLogMessage::FormatTraceMessage(""), nullptr);
    const char* text = CQmErrLogMessage::FormatTraceMessage("%s", big.c_str());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text), big.substr(0, 4095));
    CQmErrLogMessage::FreeFormattedMessage(text);
}

}  // namespace
