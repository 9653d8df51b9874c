// Record, heading and rule lines of a configured record in each layout, and
// the record's printf-style texts.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "trace/trace_test_access.h"

namespace qmtest {
namespace {

using Access = CQmTraceDataTestAccess;
using Assembly = TraceConfigTest;

TEST_F(Assembly, RecordHeadingAndRuleLinesOfEachLayout) {
    // Values go to the fields in data line order; an empty line is one the record refuses.
    struct Case { const char* data; int format; const char* separator; std::vector<const char*> values;
                  std::string record, heading, rule; };
    const Case cases[] = {
        {"Date, Message", QM_TRACE_BRACKETED, nullptr, {"01/05/2009", "Opened"},
         "[01/05/2009][Opened]\n", "[Date][Message]\n", "[----][-------]\n"},
        // Columns: every value, name and rule brought to the field's width.
        {"PreciseTime CacheHits", QM_TRACE_COLUMN, nullptr, {"13:45:07.120", "1234567"},
         "13:45:07.120    " "  " "12345\n", "PreciseTime     " "  " "Cache\n", std::string(16, '-') + "  -----\n"},
        {"Tid Message User", QM_TRACE_DELIMITED, ", ", {"123", "hello", ""},
         "123, hello, \n", "Tid, Message, User\n", "---, -------, ----\n"},
        {"Function Message", QM_TRACE_DELIMITED, nullptr, {"one", "two"},
         "onetwo\n", "FunctionMessage\n", "---------------\n"},
        // A tagged record names its fields itself: no heading.
        {"Date Message", QM_TRACE_TAGGED, nullptr, {"01/05/2009", "a<b>[c]\td\ne"},
         "<TraceMessage>\n\t<Date>01/05/2009</Date>\n\t<Message>a<b>[c]\td\ne</Message>\n</TraceMessage>\n", "", ""},
        {"", QM_TRACE_BRACKETED, nullptr, {}, "\n", "\n", "\n"},
        {"", QM_TRACE_TAGGED, nullptr, {}, "<TraceMessage>\n</TraceMessage>\n", "", ""},
        {"Message", 7, nullptr, {"x"}, "", "", ""}};  // not a layout: nothing
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        auto master = Master(std::string("components: Log\ndata: ") + c.data + "\n", c.format, c.separator);
        CQmErrLogMessage heading(false), rule(false);
        EXPECT_EQ(Access::Assemble(*master, &heading, 1), !c.heading.empty());
        EXPECT_EQ(Access::Assemble(*master, &rule, 2), !c.rule.empty());
        EXPECT_EQ(heading.GetBuffer(), c.heading);
        EXPECT_EQ(rule.GetBuffer(), c.rule);
        auto copy = CopyOf(*master);
        for (std::size_t i = 0; i < c.values.size(); ++i)
            copy->SetFieldValue(Access::Order(*master).at(i), c.values[i]);
        EXPECT_EQ(copy->Format(), !c.record.empty());
        EXPECT_EQ(copy->GetMessage().GetBuffer(), c.record);
    }
    char separator[] = "|";
    auto master = Master("components: Log\ndata: Tid Message\n", QM_TRACE_DELIMITED, separator);
    separator[0] = '#';  // the master keeps its own copy
    CQmErrLogMessage heading(false);
    ASSERT_TRUE(Access::Assemble(*master, &heading, 1));
    EXPECT_STREQ(heading.GetBuffer(), "Tid|Message\n");
}

TEST_F(Assembly, FormattedTextsStayInTheRecordUpTo1023Bytes) {
    CQmTraceData record;
    EXPECT_STREQ(record.FormatTraceMessage(nullptr), "");
    const char* area = record.FormatTraceMessage("%d", 5);  // the record's own area
    const char* text = record.FormatTraceMessage("%s|%d", std::string(1019, 'a').c_str(), 123);
    EXPECT_EQ(text, area);
    EXPECT_EQ(std::strlen(text), 1023u);
    // One byte more needs a heap text; the second pass must see the same arguments.
    const std::string head(1020, 'b');
    text = record.FormatTraceMessage("%s|%d", head.c_str(), 123);
    EXPECT_NE(text, area);
    EXPECT_EQ(std::string(text), head + "|123");
    EXPECT_EQ(record.FormatTraceMessage("%d", 6), area);  // short texts go back to the record's area
}

}  // namespace
}  // namespace qmtest
