// Field values of a working copy: texts of each type, inline and heap areas,
// filters, the fields with roles of their own, and emptying.
#include <chrono>
#include <climits>
#include <ctime>
#include <regex>

#include "platform/process.h"
#include "trace/trace_test_access.h"

class FieldValues : public CQmTraceDataTestAccess {
protected:
    std::unique_ptr<CQmTraceData> m_master =
        Master("components: Log\ndata: Message, User\nRealm !=x\nPolicy ==\n");
    std::unique_ptr<CQmTraceData> m_copy = CopyOf(*m_master);
};

TEST_F(FieldValues, ValuesAreStoredAsTextsAndFiltersDecideOnlyTheResult) {
    const auto stored = [this](unsigned int id, auto value) {
        EXPECT_TRUE(m_copy->SetFieldValue(id, value));
        return std::string(m_copy->GetFieldValue(id));
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

    EXPECT_TRUE(!m_copy->SetFieldValue(12, "x") && m_copy->GetFieldValue(12) == std::string("x"));  // Realm != x
    EXPECT_FALSE(m_copy->SetFieldValue(13, 0));  // Policy == "": numbers compare as their texts

    const unsigned int bad = QM_DATA_FIELD_COUNT;  // refused by every overload
    CQmTraceData& copy = *m_copy;
    EXPECT_FALSE(copy.SetFieldValue(bad, 1) || copy.SetFieldValue(bad, 1L) || copy.SetFieldValue(bad, 1u) ||
                 copy.SetFieldValue(bad, 1ul) || copy.SetFieldValue(bad, 1.0) || copy.SetFieldValue(bad, true) ||
                 copy.SetFieldValue(bad, "x") || copy.GetFieldValue(bad) != nullptr);
}

// Texts around the 1024 bytes that move a value out of the field's own
// area keep their bytes. Emptying clears values, message and code, and
// keeps the configuration.
TEST_F(FieldValues, LongTextsKeepTheirBytesUntilEmptying) {
    for (const std::string& text : {std::string(1023, 'a'), std::string(1024, 'b'), std::string("ten bytes!")}) {
        m_copy->SetFieldValue(0, text.c_str());
        EXPECT_EQ(m_copy->GetFieldValue(0), text);
    }
    // Values in every word of the kinds the emptying scans, one on the heap.
    const std::string longText(3000, 'h');
    m_copy->SetFieldValue(9, 7);
    m_copy->SetFieldValue(40, longText.c_str());
    m_copy->SetFieldValue(QM_DATA_FIELD_COUNT - 1, true);
    m_copy->GetMessage().FormatLogProlog("file.cpp", 1, 5);
    ASSERT_TRUE(m_copy->Format());
    EXPECT_TRUE(m_copy->CleanUpData());
    for (unsigned int id : {0u, 9u, 40u, QM_DATA_FIELD_COUNT - 1}) {
        EXPECT_TRUE(*m_copy->GetFieldValue(id) == '\0' && m_copy->GetFieldValueKind(id) == QM_VALUE_UNSET) << id;
    }
    m_copy->SetFieldValue(40, "short again");  // the field's own area again
    EXPECT_STREQ(m_copy->GetFieldValue(40), "short again");
    EXPECT_TRUE(m_copy->GetMessage().GetBufferLen() == 0 && m_copy->GetMessage().GetCode() == 0);
    EXPECT_TRUE(m_copy->FieldTraced(9));
}

// The highest date or time field traced (here Time) fills all three.
TEST_F(FieldValues, TheTriggerFillsDateAndTimesLocalOrUtcAsTheRecordSays) {  // the tests run far from UTC
    using Clock = std::chrono::system_clock;  // std::time may lag the fine-grained clock
    for (bool local : {false, true}) {
        SCOPED_TRACE(local ? "local" : "UTC");
        auto master =
            Master("components: Log\ndata: Date Time\nDate ==01/01/1970\n", QM_TRACE_BRACKETED, nullptr, local);
        auto copy = CopyOf(*master);
        for (unsigned int id : {QM_FIELD_PRECISETIME, QM_FIELD_DATE})  // not the trigger: nothing changes
            EXPECT_TRUE(copy->SetFieldValue(id, 0) && *copy->GetFieldValue(id) == '\0') << id;
        std::time_t before, after;
        do {  // again when the second turned meanwhile
            before = Clock::to_time_t(Clock::now());
            EXPECT_FALSE(copy->SetFieldValue(QM_FIELD_TIME, 0));  // the date filter fails; texts written
            after = Clock::to_time_t(Clock::now());
        } while (before != after);
        // Date, Time and PreciseTime, which adds the milliseconds.
        char expected[48];
        std::strftime(expected, sizeof expected, "%m/%d/%Y %H:%M:%S %H:%M:%S",
                      (local ? std::localtime : std::gmtime)(&before));
        const std::string texts = std::string(copy->GetFieldValue(QM_FIELD_DATE)) + " " +
                                  copy->GetFieldValue(QM_FIELD_TIME) + " " + copy->GetFieldValue(QM_FIELD_PRECISETIME);
        EXPECT_TRUE(std::regex_match(texts, std::regex(expected + std::string(R"(\.\d{3})")))) << texts;
    }
}
