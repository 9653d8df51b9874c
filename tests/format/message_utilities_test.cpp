#include <cstdarg>
#include <cstring>
#include <ctime>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "format/bounded_format.h"
#include "format/date_time_text.h"
#include "platform/process.h"
#include "qmerrlog/message.h"

namespace {

std::tm SampleTime() {  // Monday, 5 January 2009, 13:45:07
    std::tm t{};
    t.tm_year = 109; t.tm_mon = 0; t.tm_mday = 5; t.tm_wday = 1;
    t.tm_hour = 13; t.tm_min = 45; t.tm_sec = 7;
    return t;
}

std::string Bounded(const char* format, ...) {
    char area[qm::kFormatAreaSize];
    std::va_list args;
    va_start(args, format);
    const std::size_t length = qm::FormatBounded(area, format, args);
    va_end(args);
    EXPECT_EQ(length, std::strlen(area));
    return area;
}

}  // namespace

TEST(MessageUtilities, RefuseSmallOrNullBuffersWithoutWriting) {
    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    const std::tm t = SampleTime();
    EXPECT_FALSE(CQmErrLogMessage::GetPid(buffer, 9));
    EXPECT_FALSE(CQmErrLogMessage::GetTid(buffer, 14));
    EXPECT_FALSE(CQmErrLogMessage::GetDateTime(&t, buffer, 24));
    EXPECT_FALSE(CQmErrLogMessage::GetTime(0, buffer, false, 24));
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_FALSE(CQmErrLogMessage::GetPid(nullptr, 32));
    EXPECT_FALSE(CQmErrLogMessage::GetDateTime(nullptr, buffer, 32));
    EXPECT_FALSE(CQmErrLogMessage::GetTime(1, nullptr, false, 32));
    EXPECT_EQ(CQmErrLogMessage::PathnameFindFilePart(nullptr), nullptr);

    ASSERT_TRUE(CQmErrLogMessage::GetPid(buffer, 10));
    EXPECT_EQ(buffer, std::to_string(qm::platform::CurrentProcessId()));
    ASSERT_TRUE(CQmErrLogMessage::GetTid(buffer, 15));
    EXPECT_EQ(buffer, std::to_string(qm::platform::CurrentThreadId()));
}

TEST(MessageUtilities, DateTimeUsesEnglishNamesWhateverTheLocale) {
    char buffer[25];
    std::tm t = SampleTime();
    ASSERT_TRUE(CQmErrLogMessage::GetDateTime(&t, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "Mon Jan 05 2009 13:45:07");
    t.tm_wday = 6; t.tm_mon = 11; t.tm_mday = 31; t.tm_hour = 0;
    ASSERT_TRUE(CQmErrLogMessage::GetDateTime(&t, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "Sat Dec 31 2009 00:45:07");
    t.tm_mon = 12;  // no such month: refused rather than read past the names
    EXPECT_FALSE(CQmErrLogMessage::GetDateTime(&t, buffer, sizeof buffer));
}

TEST(MessageUtilities, TimeKindsHaveTheirForms) {
    const std::tm t = SampleTime();
    char text[64];
    const auto formOf = [&](int kind, int millisecond) {
        EXPECT_GT(qm::FormatTimeOfKind(kind, t, millisecond, text, sizeof text), 0u);
        return std::string(text);
    };
    EXPECT_EQ(formOf(QM_TIME_DATE, 0), "01/05/2009");
    EXPECT_EQ(formOf(QM_TIME_TIME, 0), "13:45:07");
    EXPECT_EQ(formOf(QM_TIME_PRECISE, 5), "13:45:07.5");
    EXPECT_EQ(formOf(QM_TIME_PRECISE, 120), "13:45:07.120");
    EXPECT_EQ(formOf(QM_TIME_DATE_TIME, 0), "Mon Jan 05 2009 13:45:07");
    EXPECT_EQ(formOf(-1, 0), "Mon Jan 05 2009 13:45:07");

    // The clock-reading form keeps the shape.
    char buffer[25];
    ASSERT_TRUE(CQmErrLogMessage::GetTime(QM_TIME_PRECISE, buffer, true, sizeof buffer));
    EXPECT_TRUE(std::regex_match(buffer, std::regex(R"(\d{2}:\d{2}:\d{2}\.(0|[1-9]\d{0,2}))")));
}

TEST(BoundedFormat, KeepsAtMost4095BytesAndEmptiesOnErrors) {
    const std::string big(5000, 'q');
    EXPECT_EQ(Bounded("%s", big.c_str()), big.substr(0, 4095));
    EXPECT_EQ(Bounded("%d-%s", 12, "ab"), "12-ab");
    // A wide character with no multibyte form is a real error, not lack of room.
    const wchar_t unpaired[] = {static_cast<wchar_t>(0xD800), 0};
    EXPECT_EQ(Bounded("ab%ls", unpaired), "");
    EXPECT_EQ(Bounded(nullptr), "");

    CQmErrLogMessage message(false);
    ASSERT_TRUE(message.FormatAuditMessage("%s!", big.c_str()));
    EXPECT_EQ(message.GetBuffer(), big.substr(0, 4095));
    ASSERT_TRUE(message.FormatAuditMessage("ab%ls", unpaired));
    EXPECT_EQ(message.GetBufferLen(), 0);
}

TEST(BoundedFormat, TraceMessageIsAnOwnedCutCopy) {
    EXPECT_EQ(CQmErrLogMessage::FormatTraceMessage(nullptr), nullptr);
    EXPECT_EQ(CQmErrLogMessage::FormatTraceMessage(""), nullptr);
    const std::string big(4200, 'z');
    const char* text = CQmErrLogMessage::FormatTraceMessage("%s", big.c_str());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text), big.substr(0, 4095));
    CQmErrLogMessage::FreeFormattedMessage(text);
    text = CQmErrLogMessage::FormatTraceMessage("id=%u", 5u);
    EXPECT_STREQ(text, "id=5");
    CQmErrLogMessage::FreeFormattedMessage(text);
    CQmErrLogMessage::FreeFormattedMessage(nullptr);
}
