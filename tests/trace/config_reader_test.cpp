// Reading trace configuration files into a master record.
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "trace/trace_test_access.h"

namespace qmtest {
namespace {

using Access = CQmTraceDataTestAccess;
using Ids = std::vector<unsigned int>;

class ConfigReaderTest : public TraceConfigTest {
protected:
    Ids Selected(CQmTraceData& record) {
        Ids ids;
        for (const QmTraceComponentInfo& entry : m_components) {
            if (record.ComponentSelected(entry.id)) ids.push_back(entry.id);
        }
        return ids;
    }
};

TEST_F(ConfigReaderTest, CommentsAndBlankLinesAloneGiveAnEmptyConfiguration) {
    auto master = Master("# nothing here\n\n   \n\t# indented comment\n:,\n");
    EXPECT_TRUE(Access::Configured(*master));
    EXPECT_TRUE(Access::OwnsConfiguration(*master));
    EXPECT_EQ(Selected(*master), Ids{});
    EXPECT_EQ(Order(*master), Ids{});
}

TEST_F(ConfigReaderTest, ComponentNamesTakeAnyMixOfCommasAndBlanks) {
    auto master = Master("components: Log/Legacy, Agent/Cache,Web\tNoSuchThing\ndata: Message\n");
    EXPECT_EQ(Selected(*master), (Ids{kLogLegacy, kAgentCache, kWeb}));
    // The caller's table is copied, not changed.
    EXPECT_FALSE(m_components[1].selected);
    EXPECT_NE(Access::Components(*master), m_components);
}

TEST_F(ConfigReaderTest, NamingAComponentSelectsAllItsTraceComponents) {
    auto master = Master("components: Log\n");
    EXPECT_EQ(Selected(*master), (Ids{kLog, kLogLegacy, kLogOutput}));
    EXPECT_EQ(Order(*master), Ids{});  // the file ended before the data line
}

TEST_F(ConfigReaderTest, ComponentsLineWithoutNamesStillNeedsTheDataLineNext) {
    auto master = Master("components:\n# between\n\ndata: Message Tid\n");
    EXPECT_EQ(Selected(*master), Ids{});
    EXPECT_EQ(Order(*master), (Ids{QM_FIELD_MESSAGE, QM_FIELD_TID}));

    CQmTraceData other;
    EXPECT_FALSE(Configure(other, "components:\nUser ==alice\n"));
}

TEST_F(ConfigReaderTest, SectionsOutOfOrderAreRefused) {
    CQmTraceData record;
    EXPECT_FALSE(Configure(record, "data: Message\n"));
    EXPECT_FALSE(Configure(record, "# first\ncomponent: Log\ndata: Message\n"));
    EXPECT_FALSE(Configure(record, "Components: Log\ndata: Message\n"));
    EXPECT_FALSE(Configure(record, "components: Log\ncomponents: Web\ndata: Message\n"));
}

TEST_F(ConfigReaderTest, DataLineKeepsItsOrderOnceAndSkipsUnknownNames) {
    auto master = Master("components: Log\ndata: Time, Message Nope Message,Tid, message\n");
    EXPECT_EQ(Order(*master), (Ids{QM_FIELD_TIME, QM_FIELD_MESSAGE, QM_FIELD_TID}));
    EXPECT_TRUE(master->FieldTraced(QM_FIELD_MESSAGE));
    EXPECT_FALSE(master->FieldTraced(QM_FIELD_DATE));
    EXPECT_FALSE(master->FieldTraced(QM_DATA_FIELD_COUNT));
}

TEST_F(ConfigReaderTest, AFileThatCannotBeOpenedIsRefused) {
    CQmTraceData record;
    const std::string missing = m_dir.Path("missing.cfg");
    EXPECT_FALSE(Access::Configure(record, 0, nullptr, missing.c_str(), kComponentCount,
                                   m_components, m_fields.get()));
    EXPECT_FALSE(Access::Configure(record, 0, nullptr, nullptr, kComponentCount, m_components,
                                   m_fields.get()));
}

TEST_F(ConfigReaderTest, NullTablesAreRefusedAndLeaveTheRecordAlone) {
    CQmTraceData record;
    const std::string file = m_dir.Write("ok.cfg", "components: Log\n");
    EXPECT_FALSE(Access::Configure(record, 0, "|", file.c_str(), kComponentCount, nullptr,
                                   m_fields.get()));
    EXPECT_FALSE(Access::Configure(record, 0, "|", file.c_str(), kComponentCount, m_components,
                                   nullptr));
    EXPECT_FALSE(Access::Configured(record));
    EXPECT_EQ(Access::Separator(record), nullptr);
}

struct FilterCase {
    const char* line;
    int filterOperator;  // QM_FILTER_NONE: the line is ignored
    const char* text;
};

std::ostream& operator<<(std::ostream& out, const FilterCase& c) {
    return out << testing::PrintToString(std::string(c.line));
}

class FilterLineTest : public ConfigReaderTest, public testing::WithParamInterface<FilterCase> {};

TEST_P(FilterLineTest, OperatorFollowsTheNamesDelimiterAndTextRunsToTheLineFeed) {
    const FilterCase& c = GetParam();
    auto master = Master(std::string("components: Log\ndata: Message\n") + c.line);
    QmTraceDataFieldInfo& user = Access::Field(*master, 9);
    EXPECT_EQ(user.filterOperator, c.filterOperator);
    EXPECT_EQ(user.filtered, c.filterOperator != QM_FILTER_NONE);
    if (c.filterOperator != QM_FILTER_NONE) {
        ASSERT_NE(user.filterText, nullptr);
        EXPECT_EQ(std::string(user.filterText), c.text);
    } else {
        EXPECT_EQ(user.filterText, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FilterLineTest,
    testing::Values(FilterCase{"User ==alice\n", QM_FILTER_EQUAL, "alice"},
                    FilterCase{"User == alice\n", QM_FILTER_EQUAL, " alice"},
                    FilterCase{"User==alice\n", QM_FILTER_NONE, nullptr},
                    FilterCase{"User =alice\n", QM_FILTER_NONE, nullptr},
                    FilterCase{"User\t \t!= bob  smith \n", QM_FILTER_NOT_EQUAL, " bob  smith "},
                    FilterCase{"  User:==x, y", QM_FILTER_EQUAL, "x, y"},
                    FilterCase{"User ==\n", QM_FILTER_EQUAL, ""},
                    FilterCase{"User ==a\r\n", QM_FILTER_EQUAL, "a\r"},
                    FilterCase{"User", QM_FILTER_NONE, nullptr},
                    FilterCase{"User \n", QM_FILTER_NONE, nullptr},
                    FilterCase{"User ,==x\n", QM_FILTER_NONE, nullptr},
                    FilterCase{"Nobody ==x\n", QM_FILTER_NONE, nullptr},
                    FilterCase{"# User ==x\n", QM_FILTER_NONE, nullptr}));

TEST_F(ConfigReaderTest, ALaterFilterLineForTheSameFieldReplacesTheEarlier) {
    auto master = Master("components: Log\ndata: Message\nUser ==alice\nRealm !=r\nUser !=bob\n");
    EXPECT_EQ(Access::Field(*master, 9).filterOperator, QM_FILTER_NOT_EQUAL);
    EXPECT_STREQ(Access::Field(*master, 9).filterText, "bob");
    EXPECT_STREQ(Access::Field(*master, 12).filterText, "r");
}

TEST_F(ConfigReaderTest, AFilterAppliesToAFieldThatIsNotOnTheDataLine) {
    auto master = Master("components: Log\ndata: Message\nUser ==alice\n");
    auto copy = CopyOf(*master);
    EXPECT_FALSE(copy->FieldTraced(9));
    EXPECT_TRUE(copy->FieldFiltered(9));
    EXPECT_FALSE(copy->SetFieldValue(9, "bob"));
    EXPECT_TRUE(copy->SetFieldValue(9, "alice"));
}

TEST_F(ConfigReaderTest, ALeadingBlankBelongsToTheFilterText) {
    auto master = Master("components: Log\ndata: User\nUser == alice\n");
    auto copy = CopyOf(*master);
    EXPECT_FALSE(copy->SetFieldValue(9, "alice"));
    EXPECT_TRUE(copy->SetFieldValue(9, " alice"));
}

TEST_F(ConfigReaderTest, ALineLongerThanTheReadersAreaIsCutAndTheNextLineStillRead) {
    const std::string longLine = "data: Message" + std::string(9000, ' ') + "Tid\n";
    auto master = Master("components: Log\n" + longLine + "User ==alice\n");
    EXPECT_EQ(Order(*master), Ids{QM_FIELD_MESSAGE});
    EXPECT_STREQ(Access::Field(*master, 9).filterText, "alice");
}

TEST_F(ConfigReaderTest, AMasterAssignedFromAnotherBorrowsAndNoLongerOwns) {
    auto first = Master("components: Web\ndata: Tid\nTid ==7\n", QM_TRACE_DELIMITED, ";");
    auto second = Master("components: Log\ndata: Message\n");
    Access::Assign(*second, *first);
    EXPECT_FALSE(Access::OwnsConfiguration(*second));
    EXPECT_EQ(Access::Separator(*second), Access::Separator(*first));
    EXPECT_EQ(Access::Field(*second, QM_FIELD_TID).filterText,
              Access::Field(*first, QM_FIELD_TID).filterText);
    second.reset();  // must not free what the first master still owns
    EXPECT_STREQ(Access::Separator(*first), ";");
    EXPECT_STREQ(Access::Field(*first, QM_FIELD_TID).filterText, "7");
}

}  // namespace
}  // namespace qmtest
