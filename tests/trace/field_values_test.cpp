// Field values of a working copy: texts of each type, inline and heap areas,
// filters, the fields with roles of their own, and emptying.
#include <chrono>
#include <climits>
#include <ctime>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "platform/process.h"
#include "trace/trace_test_access.h"

namespace qmtest {
namespace {

using Access = CQmTraceDataTestAccess;

class FieldValues : public TraceConfigTest {
protected:
    std::string Value(unsigned int id) { return m_copy->GetFieldValue(id); }

    std::unique_ptr<CQmTraceData> m_master =
        Master("components: Log\ndata: Message, User\nRealm !=x\nPolicy ==\n");
    std::unique_ptr<CQmTraceData> m_copy = CopyOf(*m_master);
};

TEST_F(FieldValues, ValuesAreStoredAsTextsAndFiltersDecideOnlyTheResult) {
    const auto stored = [this](unsigned int id, auto value) {
        EXPECT_TRUE(m_copy->SetFieldValue(id, value));
        return Value(id);
    };
    EXPECT_EQ(stored(9, 4000000000u), "4000000000");
    EXPECT_EQ(stored(9, 2.5), "2.500000");
    EXPECT_EQ(stored(9, true), "true");
    EXPECT_EQ(stored(9, LONG_MIN), std::to_string(LONG_MIN));  // the full width of a long
    EXPECT_EQ(stored(9, ULONG_MAX), std::to_string(ULONG_MAX));
    EXPECT_EQ(stored(9, static_cast<const char*>(nullptr)), "");
    // Pid and Tid take the caller's ids from the int and long overloads, whatever the value.
    EXPECT_EQ(stored(QM_FIELD_PID, -5), std::to_string(qm::platform::CurrentProcessId()));
    EXPECT_EQ(stored(QM_FIELD_TID, 5L), std::to_string(qm::platform::CurrentThreadId()));

    EXPECT_FALSE(m_copy->SetFieldValue(12, "x"));  // Realm != x
    EXPECT_EQ(Value(12), "x");
    EXPECT_FALSE(m_copy->SetFieldValue(13, 0));  // Policy == "": numbers compare as their texts

    const unsigned int bad = QM_DATA_FIELD_COUNT;  // refused by every overload
    CQmTraceData& copy = *m_copy;
    EXPECT_FALSE(copy.SetFieldValue(bad, 1) || copy.SetFieldValue(bad, 1L) || copy.SetFieldValue(bad, 1u) ||
                 copy.SetFieldValue(bad, 1ul) || copy.SetFieldValue(bad, 1.0) || copy.SetFieldValue(bad, true) ||
                 copy.SetFieldValue(bad, "x"));
    EXPECT_EQ(copy.GetFieldValue(bad), nullptr);
}

TEST_F(FieldValues, TextsFrom1024BytesMoveToAHeapAreaThatLaterTextsReuse) {
    const QmTraceDataFieldInfo& field = Access::Field(*m_copy, 0);
    const std::string inlineMost(1023, 'a'), heapLeast(1024, 'b');
    m_copy->SetFieldValue(0, inlineMost.c_str());
    EXPECT_EQ(field.value, field.inlineValue);
    EXPECT_EQ(Value(0), inlineMost);
    m_copy->SetFieldValue(0, heapLeast.c_str());
    EXPECT_NE(field.value, field.inlineValue);
    EXPECT_EQ(Value(0), heapLeast);
    const char* heapArea = field.value;
    m_copy->SetFieldValue(0, "ten bytes!");
    EXPECT_EQ(field.value, heapArea);
    EXPECT_EQ(Value(0), "ten bytes!");
    m_copy->LeaveNoBody();
    EXPECT_EQ(field.value, field.inlineValue);
    EXPECT_EQ(Value(0), "");
}

TEST_F(FieldValues, TheTriggerFillsDateAndTimesLocalOrUtcAsTheRecordSays) {  // the tests run far from UTC
    using Clock = std::chrono::system_clock;  // std::time may lag the fine-grained clock
    for (bool local : {false, true}) {
        SCOPED_TRACE(local ? "local" : "UTC");
        auto master =
            Master("components: Log\ndata: Date Time\nDate ==01/01/1970\n", QM_TRACE_BRACKETED, nullptr, local);
        Access::SetTrigger(*master, QM_FIELD_TIME);
        auto copy = CopyOf(*master);
        EXPECT_TRUE(copy->SetFieldValue(QM_FIELD_PRECISETIME, 0));  // not the trigger: nothing changes
        EXPECT_STREQ(copy->GetFieldValue(QM_FIELD_PRECISETIME), "");
        std::time_t before, after;
        do {  // again when the second turned meanwhile
            before = Clock::to_time_t(Clock::now());
            EXPECT_FALSE(copy->SetFieldValue(QM_FIELD_TIME, 0));  // the date filter fails; texts written
            after = Clock::to_time_t(Clock::now());
        } while (before != after);
        char expected[32];
        std::strftime(expected, sizeof expected, "%m/%d/%Y %H:%M:%S",
                      (local ? std::localtime : std::gmtime)(&before));
        const std::string precise = copy->GetFieldValue(QM_FIELD_PRECISETIME);
        EXPECT_EQ(copy->GetFieldValue(QM_FIELD_DATE) + (" " + precise.substr(0, 8)), expected);
        EXPECT_EQ(copy->GetFieldValue(QM_FIELD_TIME), precise.substr(0, 8));
        EXPECT_TRUE(std::regex_match(precise, std::regex(R"(\d\d:\d\d:\d\d\.\d{3})"))) << precise;
    }
}

TEST_F(FieldValues, RecordsAppendUntilEmptyingClearsValuesMessageAndCode) {
    for (const char* text : {"one", "two"}) {
        m_copy->SetFieldValue(QM_FIELD_MESSAGE, text);
        ASSERT_TRUE(m_copy->Format());
    }
    EXPECT_STREQ(m_copy->GetMessage().GetBuffer(), "[one][]\n[two][]\n");
    m_copy->GetMessage().FormatLogProlog("file.cpp", 1, 5);
    EXPECT_TRUE(m_copy->CleanUpData());
    EXPECT_EQ(Value(QM_FIELD_MESSAGE), "");
    EXPECT_EQ(m_copy->GetMessage().GetBufferLen(), 0);
    EXPECT_EQ(m_copy->GetMessage().GetCode(), 0);
    EXPECT_TRUE(m_copy->FieldTraced(9));  // the configuration stays
}

}  // namespace
}  // namespace qmtest
