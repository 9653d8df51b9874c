// Reading trace configuration files into a master record.
#include <string>

#include <gtest/gtest.h>

#include "trace/trace_test_access.h"

namespace qmtest {
namespace {

using Access = CQmTraceDataTestAccess;
using ConfigReader = TraceConfigTest;

TEST_F(ConfigReader, SectionsSelectComponentsAndOrderFieldsOrAreRefused) {
    const struct { const char* text; bool accepted; Ids selected = {}, order = {}; } cases[] = {
        {"# nothing here\n\n   \n\t# indented comment\n:,\n", true},
        {"components: Log/Legacy, Agent/Cache,Web\tNoSuchThing\ndata: Message\n", true,
         {kLogLegacy, kAgentCache, kWeb}, {QM_FIELD_MESSAGE}},
        // A component brings all its trace components; the file may end before the data line.
        {"components: Log\n", true, {kLog, kLogLegacy, kLogOutput}},
        {"components:\n# between\n\ndata: Message Tid\n", true, {}, {QM_FIELD_MESSAGE, QM_FIELD_TID}},
        // Each field once, in the line's order; unknown names are skipped, names are case-sensitive.
        {"components: Web\ndata: Time, Message Nope Message,Tid, message\n", true, {kWeb},
         {QM_FIELD_TIME, QM_FIELD_MESSAGE, QM_FIELD_TID}},
        {"data: Message\n", false}, {"# first\nComponents: Log\ndata: Message\n", false},
        {"components: Log\ncomponents: Web\ndata: Message\n", false}, {"components:\nUser ==alice\n", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CQmTraceData record;
        ASSERT_EQ(Configure(record, c.text), c.accepted);
        if (!c.accepted) continue;
        Ids selected;
        for (const auto& entry : m_components)
            if (record.ComponentSelected(entry.id)) selected.push_back(entry.id);
        EXPECT_EQ(selected, c.selected);
        EXPECT_EQ(Access::Order(record), c.order);
    }
    EXPECT_FALSE(m_components[1].selected);  // the caller's table is copied, not changed
}

TEST_F(ConfigReader, FilterOperatorFollowsTheNamesDelimiterAndTextRunsToTheLineFeed) {
    const struct { const char* line; int filterOperator; const char* text; } cases[] = {
        {"User ==alice\n", QM_FILTER_EQUAL, "alice"}, {"User == alice\n", QM_FILTER_EQUAL, " alice"},
        {"User==alice\n", QM_FILTER_NONE, nullptr}, {"User =alice\n", QM_FILTER_NONE, nullptr},
        {"User\t \t!= bob  smith \n", QM_FILTER_NOT_EQUAL, " bob  smith "},
        {"  User:==x, y", QM_FILTER_EQUAL, "x, y"},
        {"User ==\n", QM_FILTER_EQUAL, ""}, {"User ==a\r\n", QM_FILTER_EQUAL, "a\r"},
        {"User", QM_FILTER_NONE, nullptr}, {"User \n", QM_FILTER_NONE, nullptr},
        {"User ,==x\n", QM_FILTER_NONE, nullptr}, {"Nobody ==x\n", QM_FILTER_NONE, nullptr},
        {"# User ==x\n", QM_FILTER_NONE, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        auto master = Master(std::string("components: Log\ndata: Message\n") + c.line);
        const QmTraceDataFieldInfo& user = Access::Field(*master, 9);
        EXPECT_EQ(user.filterOperator, c.filterOperator);
        EXPECT_EQ(user.filtered, c.filterOperator != QM_FILTER_NONE);
        EXPECT_EQ(std::string(user.filterText ? user.filterText : "(none)"), c.text ? c.text : "(none)");
    }
    // A line too long for the reader is cut and the next one still read; a
    // later filter on the same field replaces the earlier one.
    auto master = Master("components: Log\ndata: Message" + std::string(9000, ' ') +
                         "Tid\nUser ==alice\nRealm !=r\nUser !=bob\n");
    EXPECT_EQ(Access::Order(*master), Ids{QM_FIELD_MESSAGE});
    EXPECT_EQ(Access::Field(*master, 9).filterOperator, QM_FILTER_NOT_EQUAL);
    EXPECT_STREQ(Access::Field(*master, 9).filterText, "bob");
    EXPECT_STREQ(Access::Field(*master, 12).filterText, "r");
}

TEST_F(ConfigReader, AMasterAssignedFromAnotherBorrowsAndNoLongerOwns) {
    auto first = Master("components: Web\ndata: Tid\nTid ==7\n", QM_TRACE_DELIMITED, ";");
    auto second = Master("components: Log\ndata: Message\nRealm !=r\n");
    Access::Assign(*second, *first);
    EXPECT_EQ(Access::Order(*second), Ids{QM_FIELD_TID});
    EXPECT_FALSE(second->FieldFiltered(12));  // nothing of its own configuration stays
    second.reset();  // must not free what the first master still owns
    EXPECT_STREQ(Access::Separator(*first), ";");
    EXPECT_STREQ(Access::Field(*first, QM_FIELD_TID).filterText, "7");
}

}  // namespace
}  // namespace qmtest
