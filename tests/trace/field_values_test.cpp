// Field values of a working copy: texts of each type, inline and heap areas,
// filters, the fields with roles of their own, and emptying.
#include <climits>
#include <ctime>
#include <regex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/process.h"
#include "trace/trace_test_access.h"

namespace qmtest {
namespace {

using Access = CQmTraceDataTestAccess;

class FieldValuesTest : public TraceConfigTest {
protected:
    void SetUp() override {
        m_master = Master("components: Log\ndata: Message, User\nRealm !=x\nPolicy ==\n");
        m_copy = CopyOf(*m_master);
    }
    const char* Value(unsigned int id) { return m_copy->GetFieldValue(id); }
    bool OnHeap(unsigned int id) {
        QmTraceDataFieldInfo& field = Access::Field(*m_copy, id);
        return field.valueOnHeap && field.value != field.inlineValue;
    }

    std::unique_ptr<CQmTraceData> m_master;
    std::unique_ptr<CQmTraceData> m_copy;
};

TEST_F(FieldValuesTest, NumbersAndFlagsAreStoredAsText) {
    m_copy->SetFieldValue(9, -5);
    EXPECT_STREQ(Value(9), "-5");
    m_copy->SetFieldValue(9, 4000000000u);
    EXPECT_STREQ(Value(9), "4000000000");
    m_copy->SetFieldValue(9, 2.5);
    EXPECT_STREQ(Value(9), "2.500000");
    m_copy->SetFieldValue(9, true);
    EXPECT_STREQ(Value(9), "true");
    m_copy->SetFieldValue(9, LONG_MIN);  // the full width of a long
    EXPECT_EQ(std::string(Value(9)), std::to_string(LONG_MIN));
    m_copy->SetFieldValue(9, ULONG_MAX);
    EXPECT_EQ(std::string(Value(9)), std::to_string(ULONG_MAX));
    EXPECT_TRUE(m_copy->SetFieldValue(9, static_cast<const char*>(nullptr)));
    EXPECT_STREQ(Value(9), "");
}

TEST_F(FieldValuesTest, IdsFromSixtyFourOnAreRefusedByEveryOverload) {
    const unsigned int bad = QM_DATA_FIELD_COUNT;
    EXPECT_FALSE(m_copy->SetFieldValue(bad, 1) || m_copy->SetFieldValue(bad, 1L) ||
                 m_copy->SetFieldValue(bad, 1u) || m_copy->SetFieldValue(bad, 1ul) ||
                 m_copy->SetFieldValue(bad, 1.0) || m_copy->SetFieldValue(bad, true) ||
                 m_copy->SetFieldValue(~0u, "x"));
    EXPECT_EQ(m_copy->GetFieldValue(bad), nullptr);
    EXPECT_FALSE(Access::TestDataFilter(*m_copy, bad));
}

TEST_F(FieldValuesTest, PidAndTidIgnoreTheIntArgument) {
    const std::string pid = std::to_string(qm::platform::CurrentProcessId());
    EXPECT_TRUE(m_copy->SetFieldValue(QM_FIELD_PID, 77));
    EXPECT_EQ(Value(QM_FIELD_PID), pid);
    EXPECT_TRUE(m_copy->SetFieldValue(QM_FIELD_PID, 77L));
    EXPECT_EQ(Value(QM_FIELD_PID), pid);
    // Only the int and long overloads give these ids a role.
    EXPECT_TRUE(m_copy->SetFieldValue(QM_FIELD_PID, 77u));
    EXPECT_STREQ(Value(QM_FIELD_PID), "77");

    std::string here;
    std::string there;
    auto tidOf = [this](std::string* out) {
        CQmTraceData record;
        Access::Assign(record, *m_master);
        record.SetFieldValue(QM_FIELD_TID, 0);
        *out = record.GetFieldValue(QM_FIELD_TID);
        EXPECT_EQ(*out, std::to_string(qm::platform::CurrentThreadId()));
    };
    tidOf(&here);
    std::thread other(tidOf, &there);
    other.join();
    EXPECT_NE(here, there);
}

TEST_F(FieldValuesTest, TextsFromTenTwentyFourBytesMoveToAHeapAreaThatLaterTextsReuse) {
    const std::string inlineMost(1023, 'a');
    ASSERT_TRUE(m_copy->SetFieldValue(0, inlineMost.c_str()));
    EXPECT_FALSE(OnHeap(0));
    EXPECT_EQ(Value(0), inlineMost);

    const std::string heapLeast(1024, 'b');
    ASSERT_TRUE(m_copy->SetFieldValue(0, heapLeast.c_str()));
    EXPECT_TRUE(OnHeap(0));
    EXPECT_EQ(Value(0), heapLeast);
    const char* heapArea = Value(0);

    ASSERT_TRUE(m_copy->SetFieldValue(0, "ten bytes!"));
    EXPECT_EQ(Value(0), heapArea);
    EXPECT_STREQ(Value(0), "ten bytes!");
    ASSERT_TRUE(m_copy->SetFieldValue(0, static_cast<const char*>(nullptr)));
    EXPECT_EQ(Value(0), heapArea);
    EXPECT_STREQ(Value(0), "");

    // A long source file name is kept whole like any other text.
    const std::string path = std::string(2000, 'd') + "/file.cpp:120";
    m_copy->SetFieldValue(QM_FIELD_SRCFILE, path.c_str());
    EXPECT_EQ(Value(QM_FIELD_SRCFILE), path);

    m_copy->LeaveNoBody();
    EXPECT_FALSE(OnHeap(0));
    EXPECT_FALSE(OnHeap(QM_FIELD_SRCFILE));
    EXPECT_STREQ(Value(0), "");
}

TEST_F(FieldValuesTest, FiltersDecideTheResultButTheValueIsStoredAnyway) {
    // Realm != x
    EXPECT_FALSE(m_copy->SetFieldValue(12, "x"));
    EXPECT_STREQ(Value(12), "x");
    EXPECT_TRUE(m_copy->SetFieldValue(12, "y"));
    EXPECT_TRUE(m_copy->SetFieldValue(12, ""));
    // Policy == (empty): numbers are compared as their texts.
    EXPECT_FALSE(m_copy->SetFieldValue(13, 0));
    // A filtered field without an operator lets nothing through.
    QmTraceDataFieldInfo& user = Access::Field(*m_copy, 9);
    user.filtered = true;
    user.filterOperator = QM_FILTER_NONE;
    EXPECT_FALSE(m_copy->SetFieldValue(9, "anything"));
    EXPECT_FALSE(Access::TestDataFilter(*m_copy, 9));
}

class DateTimeTest : public FieldValuesTest {
protected:
    void ExpectDateTimeTexts() {
        EXPECT_TRUE(std::regex_match(Value(QM_FIELD_DATE), std::regex(R"(\d\d/\d\d/\d{4})")))
            << Value(QM_FIELD_DATE);
        EXPECT_TRUE(std::regex_match(Value(QM_FIELD_TIME), std::regex(R"(\d\d:\d\d:\d\d)")))
            << Value(QM_FIELD_TIME);
        const std::string precise = Value(QM_FIELD_PRECISETIME);
        EXPECT_TRUE(std::regex_match(precise, std::regex(R"(\d\d:\d\d:\d\d\.\d{3})"))) << precise;
        EXPECT_EQ(precise.substr(0, 8), Value(QM_FIELD_TIME));
    }
};

TEST_F(DateTimeTest, OnlyTheTriggerFieldFillsAllThree) {
    EXPECT_TRUE(m_copy->SetFieldValue(QM_FIELD_DATE, 0));  // no trigger: nothing changes
    EXPECT_STREQ(Value(QM_FIELD_DATE), "");

    Access::SetTrigger(*m_master, QM_FIELD_PRECISETIME);
    m_copy = CopyOf(*m_master);
    EXPECT_TRUE(m_copy->SetFieldValue(QM_FIELD_DATE, 0));
    EXPECT_TRUE(m_copy->SetFieldValue(QM_FIELD_TIME, 99L));
    EXPECT_STREQ(Value(QM_FIELD_DATE), "");
    EXPECT_STREQ(Value(QM_FIELD_TIME), "");
    EXPECT_TRUE(m_copy->SetFieldValue(QM_FIELD_PRECISETIME, 0));
    ExpectDateTimeTexts();
}

TEST_F(DateTimeTest, AFailingDateFilterRefusesTheRecordButTheTextsAreWritten) {
    auto master = Master("components: Log\ndata: Date Message\nDate ==01/01/1970\n");
    Access::SetTrigger(*master, QM_FIELD_DATE);
    m_copy = CopyOf(*master);
    EXPECT_FALSE(m_copy->SetFieldValue(QM_FIELD_DATE, 0));
    ExpectDateTimeTexts();
    EXPECT_FALSE(Access::PopulateDateandTime(*m_copy));
}

// The record's own clock reading must match the C library's for the same
// second, local or UTC as the record says.
std::string Expected(const char* format, const std::tm& time) {
    char text[32];
    std::strftime(text, sizeof text, format, &time);
    return text;
}

TEST_F(DateTimeTest, DatesAndTimesAreLocalOrUtcAsTheRecordSays) {
    auto utcMaster = Master("components: Log\ndata: Date Time\n", QM_TRACE_BRACKETED, nullptr, false);
    auto localMaster = Master("components: Log\ndata: Date Time\n", QM_TRACE_BRACKETED, nullptr, true);
    auto utc = CopyOf(*utcMaster);
    auto local = CopyOf(*localMaster);
    bool sameSecond = false;
    for (int attempt = 0; attempt < 100 && !sameSecond; ++attempt) {
        const std::time_t before = std::time(nullptr);
        ASSERT_TRUE(Access::PopulateDateandTime(*utc));
        ASSERT_TRUE(Access::PopulateDateandTime(*local));
        const std::time_t after = std::time(nullptr);
        if (before != after) continue;
        sameSecond = true;
        std::tm utcNow = *std::gmtime(&before);
        std::tm localNow = *std::localtime(&before);
        EXPECT_EQ(utc->GetFieldValue(QM_FIELD_DATE), Expected("%m/%d/%Y", utcNow));
        EXPECT_EQ(utc->GetFieldValue(QM_FIELD_TIME), Expected("%H:%M:%S", utcNow));
        EXPECT_EQ(local->GetFieldValue(QM_FIELD_DATE), Expected("%m/%d/%Y", localNow));
        EXPECT_EQ(local->GetFieldValue(QM_FIELD_TIME), Expected("%H:%M:%S", localNow));
    }
    EXPECT_TRUE(sameSecond);
}

TEST_F(FieldValuesTest, NamingATraceComponentSelectsTheFirstEntryWithThatIdOnly) {
    CQmTraceData record;
    EXPECT_FALSE(Access::MarkComponentTraced(record, kAgentCache));  // no component list yet
    EXPECT_FALSE(record.ComponentSelected(kAgentCache));

    m_components[5] = {false, kAgentCache, "Agent/CacheAgain"};
    auto master = Master("components:\n");
    EXPECT_TRUE(Access::MarkComponentTraced(*master, kAgentCache));
    EXPECT_FALSE(master->ComponentSelected(kAgent));
    EXPECT_TRUE(Access::Components(*master)[4].selected);
    EXPECT_FALSE(Access::Components(*master)[5].selected);
}

TEST_F(FieldValuesTest, AssignmentCopiesTheConfigurationButKeepsTheValues) {
    alignas(8) static char loggers[2];
    CQmLogger* mine = reinterpret_cast<CQmLogger*>(&loggers[0]);
    CQmLogger* masters = reinterpret_cast<CQmLogger*>(&loggers[1]);

    auto master = Master("components: Web\ndata: Tid Message\nUser ==u\n", QM_TRACE_DELIMITED, "|");
    Access::SetGeneration(*master, 41);
    Access::SetTrigger(*master, QM_FIELD_TIME);
    m_copy->SetLogger(mine);
    const std::string longValue(3000, 'v');
    m_copy->SetFieldValue(0, longValue.c_str());
    m_copy->SetFieldValue(7, "kept");

    Access::Assign(*m_copy, *master);
    EXPECT_EQ(m_copy->GetGeneration(), 41);
    EXPECT_EQ(m_copy->GetTraceFormat(), QM_TRACE_DELIMITED);
    EXPECT_EQ(Access::Separator(*m_copy), Access::Separator(*master));
    EXPECT_EQ(Access::Components(*m_copy), Access::Components(*master));
    EXPECT_EQ(Access::Field(*m_copy, 9).filterText, Access::Field(*master, 9).filterText);
    EXPECT_EQ(Order(*m_copy), (std::vector<unsigned int>{QM_FIELD_TID, QM_FIELD_MESSAGE}));
    EXPECT_FALSE(m_copy->FieldTraced(12));  // the earlier master's filter on Realm is gone
    EXPECT_FALSE(m_copy->FieldFiltered(12));
    EXPECT_EQ(Access::Logger(*m_copy), mine);  // the master has none
    EXPECT_EQ(Value(0), longValue);
    EXPECT_STREQ(Value(7), "kept");

    master->SetLogger(masters);
    Access::Assign(*m_copy, *master);
    EXPECT_EQ(Access::Logger(*m_copy), masters);
    EXPECT_EQ(m_copy->GetLogger(), masters);
}

TEST_F(FieldValuesTest, EmptyingClearsValuesMessageAndCodeOfAConfiguredRecordOnly) {
    CQmTraceData unconfigured;
    unconfigured.SetFieldValue(9, "stays");
    unconfigured.GetMessage().AppendText("text");
    unconfigured.LeaveNoBody();
    EXPECT_STREQ(unconfigured.GetFieldValue(9), "stays");
    EXPECT_STREQ(unconfigured.GetMessage().GetBuffer(), "text");

    m_copy->SetFieldValue(9, "gone");
    m_copy->GetMessage().FormatLogProlog("file.cpp", 1, 5);
    m_copy->FormatTraceMessage("%s", std::string(2000, 'f').c_str());
    ASSERT_TRUE(m_copy->Format());
    ASSERT_GT(m_copy->GetMessage().GetBufferLen(), 0);
    EXPECT_TRUE(m_copy->CleanUpData());
    EXPECT_STREQ(Value(9), "");
    EXPECT_EQ(m_copy->GetMessage().GetBufferLen(), 0);
    EXPECT_EQ(m_copy->GetMessage().GetCode(), 0);
    EXPECT_TRUE(m_copy->FieldTraced(9));  // the configuration stays
}

}  // namespace
}  // namespace qmtest
