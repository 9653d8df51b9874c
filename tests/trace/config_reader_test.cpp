// Reading trace configuration files into a master record.
#include <algorithm>
#include <regex>

#include "trace/trace_test_access.h"

using ConfigReader = CQmTraceDataTestAccess;

TEST_F(ConfigReader, SectionsSelectComponentsAndOrderFieldsOrAreRefused) {
    const struct { std::string text; bool accepted; Ids selected = {}, order = {}; } cases[] = {
        {"# nothing here\n\n   \n\t# indented comment\n:,\n", true},
        {"components: Log/Legacy, Agent/Cache,Web\tNoSuchThing\ndata: Message\n", true,
         {kLogLegacy, kAgentCache, kWeb}, {QM_FIELD_MESSAGE}},
        // A component brings all its trace components; the file may end before the data line.
        {"components: Log\n", true, {kLog, kLogLegacy, kLogOutput}},
        {"components:\n# between\n\ndata: Message Tid\n", true, {}, {QM_FIELD_MESSAGE, QM_FIELD_TID}},
        // Each field once, in the line's order; unknown names are skipped, names are case-sensitive.
        {"components: Web\ndata: Time, Message Nope Message,Tid, message\n", true, {kWeb},
         {QM_FIELD_TIME, QM_FIELD_MESSAGE, QM_FIELD_TID}},
        // A line too long for the reader is cut, and the next one still read.
        {"components: Web" + std::string(9000, ' ') + "Log\ndata: Tid\n", true, {kWeb}, {QM_FIELD_TID}},
        {"data: Message\n", false}, {"# first\nComponents: Log\ndata: Message\n", false},
        {"components: Log\ncomponents: Web\ndata: Message\n", false}, {"components:\nUser ==alice\n", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto record = Master(c.text, QM_TRACE_BRACKETED, nullptr, false, c.accepted);
        if (!c.accepted) continue;
        Ids selected;
        for (const auto& entry : m_components)
            if (record->ComponentSelected(entry.id)) selected.push_back(entry.id);
        EXPECT_EQ(selected, c.selected);
        EXPECT_EQ(Order(*record), c.order);
    }
    EXPECT_FALSE(m_components[1].selected);  // the caller's table is copied, not changed

    // The logger's list text names all 64 fields in id order, one blank between
    // them, so that it can serve as a data line.
    const std::string list = qm::BuildDataFieldListText();
    const Ids all = Order(*Master("components: Log\ndata: " + list + "\n"));
    EXPECT_TRUE(all.size() == 64 && std::is_sorted(all.begin(), all.end())) << list;
    EXPECT_EQ(std::count(list.begin(), list.end(), ' '), 63);
}

// User is not on the data line: its filter is kept all the same. A later
// filter on a field replaces the earlier one.
TEST_F(ConfigReader, FilterOperatorFollowsTheNamesDelimiterAndTextRunsToTheLineFeed) {
    const struct { const char* line; int filterOperator; const char* text; } cases[] = {
        {"User ==alice\n", QM_FILTER_EQUAL, "alice"}, {"User == alice\n", QM_FILTER_EQUAL, " alice"},
        {"User==alice\n", QM_FILTER_NONE, nullptr}, {"User =alice\n", QM_FILTER_NONE, nullptr},
        {"User\t \t!= bob  smith \n", QM_FILTER_NOT_EQUAL, " bob  smith "},
        {"  User:==x, y", QM_FILTER_EQUAL, "x, y"},
        {"User ==\n", QM_FILTER_EQUAL, ""}, {"User ==a\r\n", QM_FILTER_EQUAL, "a"},
        {"User", QM_FILTER_NONE, nullptr}, {"User \n", QM_FILTER_NONE, nullptr},
        {"User ,==x\n", QM_FILTER_NONE, nullptr}, {"Nobody ==x\n", QM_FILTER_NONE, nullptr},
        {"# User ==x\n", QM_FILTER_NONE, nullptr}, {"User ==alice\nUser !=bob\n", QM_FILTER_NOT_EQUAL, "bob"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        auto master = Master(std::string("components: Log\ndata: Message\n") + c.line);
        const QmTraceDataFieldInfo& user = Field(*master, 9);
        EXPECT_EQ(user.filterOperator, c.filterOperator);
        EXPECT_EQ(user.filtered, c.filterOperator != QM_FILTER_NONE);
        EXPECT_EQ(std::string(user.filterText ? user.filterText : "(none)"), c.text ? c.text : "(none)");
    }
}

TEST_F(ConfigReader, AMasterKeepsItsOwnSeparatorAndOneAssignedFromAnotherBorrows) {
    char separator[] = ";";
    auto first = Master("components: Web\ndata: Tid Message\n", QM_TRACE_DELIMITED, separator);
    separator[0] = '#';
    auto second = Master("components: Log\ndata: Message\nRealm !=r\n");
    Assign(*second, *first);
    EXPECT_EQ(Order(*second), (Ids{QM_FIELD_TID, QM_FIELD_MESSAGE}));
    EXPECT_FALSE(second->FieldFiltered(12));  // nothing of its own configuration stays
    second.reset();  // must not free what the first master still owns
    CQmErrLogMessage heading(false);
    ASSERT_TRUE(Assemble(*first, &heading, 1));
    EXPECT_STREQ(heading.GetBuffer(), "Tid;Message\n");
}

// A file saved with CR LF line ends configures exactly what its LF twin does.
TEST_F(ConfigReader, CarriageReturnLineFeedFilesReadLikeLineFeedFiles) {
    const std::string lf = "# comment\ncomponents: Log/Legacy, Web\ndata: Message, Tid\nUser ==alice\nRealm !=\n";
    std::string crlf = std::regex_replace(lf, std::regex("\n"), "\r\n");
    for (const std::string& text : {lf, crlf}) {
        auto master = Master(text);
        EXPECT_TRUE(master->ComponentSelected(kWeb) && master->ComponentSelected(kLogLegacy));
        EXPECT_EQ(Order(*master), (Ids{QM_FIELD_MESSAGE, QM_FIELD_TID}));
        EXPECT_EQ(std::string(Field(*master, 9).filterText) + "|" + Field(*master, 12).filterText, "alice|");
    }
}
