// The pieces that keep a log line's formatting cheap: the decimal writer, the
// per-thread date texts and the message's own text area.
#include <climits>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "format/control_escape.h"
#include "format/date_time_text.h"
#include "format/decimal_text.h"
#include "platform/clock.h"
#include "qmerrlog/message.h"

TEST(DecimalText, SameDigitsAsPrintf) {
    const long long values[] = {0, 1, 9, 10, 42, 99999, -1, -10, INT_MAX, INT_MIN, LLONG_MAX, LLONG_MIN};
    for (const long long value : values) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "%lld", value);
        char out[qm::kDecimalTextSize];
        EXPECT_EQ(std::string(out, qm::WriteSignedDecimal(value, out)), expected);
    }
    char out[qm::kDecimalTextSize];
    EXPECT_EQ(std::string(out, qm::WriteDecimal(ULLONG_MAX, out)), "18446744073709551615");
    EXPECT_EQ(std::string(out, qm::WriteDecimal(UINT_MAX, out)), "4294967295");
}

// The cached texts are the current second's, local and UTC apart (the tests
// run far from UTC), in any thread, and again after the second has moved on;
// the syslog stamp's milliseconds are the clock's, not the cached ones.
TEST(DateTimeCache, GivesTheCurrentSecondsTextsForEachKind) {
    const auto texts = [](bool local, bool cached) {
        long long second = 0;
        int millisecond = 0, offset = 0;
        qm::platform::ReadRealTime(&second, &millisecond);
        char date[64], stamp[64];
        std::size_t dateLength = 0, stampLength = 0;
        if (cached) {
            dateLength = qm::CurrentDateTimeText(local, date), stampLength = qm::CurrentRfc3339Stamp(local, stamp);
        } else {
            qm::platform::CalendarTime time{};
            qm::platform::CalendarTimeAt(second, local, &time, &offset);
            time.millisecond = millisecond;
            dateLength = qm::FormatDateTimeText(qm::ToBrokenDownTime(time), date, sizeof date);
            stampLength = qm::FormatRfc3339Stamp(time, offset, !local, stamp, sizeof stamp);
        }
        // Milliseconds to tenths, which two reads a moment apart share.
        return std::string(date, dateLength) + " " + std::string(stamp, stampLength).erase(21, 2);
    };
    const auto check = [&] {
        for (const bool local : {false, true}) {
            // The clock may move on between the two reads: try again then.
            std::string expected, got;
            for (int attempt = 0; attempt < 5 && (attempt == 0 || got != expected); ++attempt)
                expected = texts(local, false), got = texts(local, true);
            EXPECT_EQ(got, expected) << "local " << local;
        }
    };
    check();
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    std::thread(check).join();
}

// Texts of every size keep their bytes across the move out of the inline
// area: crossing its end, and exactly filling it (terminator included) first.
TEST(MessageText, LongTextsMoveOnceAndKeepTheirBytes) {
    const std::vector<std::size_t> sequences[] = {{1, 200, 310, 1, 4000, 9000}, {QmMessageText::kInlineSize - 1, 1}};
    for (const auto& pieces : sequences) {
        CQmErrLogMessage message(false);
        std::string expected;
        for (const std::size_t piece : pieces) {
            const std::string text(piece, static_cast<char>('a' + piece % 26));
            message.AppendText(text.c_str(), text.size());
            expected += text;
            ASSERT_EQ(message.GetBufferLen(), static_cast<int>(expected.size()));
            ASSERT_EQ(message.GetBuffer(), expected);
        }
        message.CleanUpMessage();
        message.AppendText("again");
        message.AppendText(nullptr, 0);
        EXPECT_STREQ(message.GetBuffer(), "again");
    }
}

// The word-at-a-time check finds every control byte at every place, whatever surrounds it.
TEST(ControlCheck, FindsEachControlByteAtEachPlace) {
    for (int byte = 0; byte < 256; ++byte) {
        const bool control = byte < 0x20 || byte == 0x7F;
        for (std::size_t place = 0; place < 19; ++place) {
            for (const char around : {'a', '\x80', '\xff', '\x21'}) {
                std::string text(19, around);
                text[place] = static_cast<char>(byte);
                ASSERT_EQ(qm::HasControlCharacter(text.data(), text.size()), control)
                    << "byte " << byte << " at " << place;
                // The bytes after the length are never looked at.
                ASSERT_FALSE(qm::HasControlCharacter(text.data(), place));
            }
        }
    }
}
