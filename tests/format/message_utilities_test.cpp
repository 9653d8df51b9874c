// The message's static helpers: ids, date and time texts, bounded formatting.
#include <cstring>
#include <ctime>
#include <functional>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "format/date_time_text.h"
#include "platform/process.h"
#include "qmerrlog/message.h"

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

// Every date and time form, and a form that does not fit its area is empty.
TEST(MessageUtilities, DateAndTimeFormsWithEnglishNamesWhateverTheLocale) {
    using Form = std::function<std::size_t(char*, std::size_t)>;
    const auto ofKind = [](int kind, int millisecond) {
        return [=](char* out, std::size_t size) { return qm::FormatTimeOfKind(kind, kMonday, millisecond, out, size); };
    };
    const auto stamp = [](int second, int offset, bool utc) {
        return [=](char* out, std::size_t size) {
            const qm::platform::CalendarTime time{2009, 1, 5, 13, 45, second, 7, 1, 4};
            return qm::FormatRfc3339Stamp(time, offset, utc, out, size);
        };
    };
    const struct { Form form; std::size_t size; const char* text; } cases[] = {
        {ofKind(QM_TIME_DATE, 0), 64, "01/05/2009"}, {ofKind(QM_TIME_TIME, 0), 64, "13:45:07"},
        {ofKind(QM_TIME_PRECISE, 5), 64, "13:45:07.5"}, {ofKind(QM_TIME_PRECISE, 120), 64, "13:45:07.120"},
        {ofKind(QM_TIME_DATE_TIME, 0), 64, "Mon Jan 05 2009 13:45:07"}, {ofKind(-1, 0), 64, "Mon Jan 05 2009 13:45:07"},
        {ofKind(QM_TIME_DATE, 0), 10, ""},
        // The trace field shows three millisecond digits.
        {[](char* out, std::size_t size) { return qm::FormatPreciseTime(kMonday, 5, out, size); }, 64, "13:45:07.005"},
        {stamp(7, 0, true), 64, "2009-01-05T13:45:07.007Z"}, {stamp(7, 0, false), 64, "2009-01-05T13:45:07.007+00:00"},
        {stamp(60, -570, false), 64, "2009-01-05T13:45:59.007-09:30"},  // a leap second reads 59
        {stamp(7, 630, true), 64, "2009-01-05T13:45:07.007+10:30"}, {stamp(7, 0, true), 24, ""}};
    for (const auto& c : cases) {
        char text[64] = "untouched";
        EXPECT_EQ(c.form(text, c.size), std::strlen(c.text));
        EXPECT_STREQ(text, c.text);
    }
    char text[64];
    std::tm t = kMonday;
    t.tm_wday = 6, t.tm_mon = 11, t.tm_mday = 31, t.tm_hour = 0;
    EXPECT_TRUE(CQmErrLogMessage::GetDateTime(&t, text, 25) && text == std::string("Sat Dec 31 2009 00:45:07"));
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
    EXPECT_EQ(std::string(text ? text : "(null)"), big.substr(0, 4095));
    CQmErrLogMessage::FreeFormattedMessage(text);
}
