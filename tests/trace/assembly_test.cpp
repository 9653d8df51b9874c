// Record, heading and rule lines of a configured record in each layout, and
// the record's printf-style texts.
#include "trace/trace_test_access.h"

using Assembly = CQmTraceDataTestAccess;

TEST_F(Assembly, RecordHeadingAndRuleLinesOfEachLayout) {
    // Values go to the fields in data line order; an empty line is one the record refuses.
    struct Case { const char* data; int format; const char* separator; std::vector<const char*> values;
                  std::string record, heading, rule; };
    // Records around the size joined on the stack, and past it.
    const std::string a300(300, 'a'), b510(510, 'b'), c511(511, 'c');
    const Case cases[] = {
        {"Message User", QM_TRACE_BRACKETED, nullptr, {a300.c_str(), a300.c_str()},
         "[" + a300 + "][" + a300 + "]\n", "[Message][User]\n", "[-------][----]\n"},
        {"Message", QM_TRACE_BRACKETED, nullptr, {b510.c_str()}, "[" + b510 + "]\n", "[Message]\n", "[-------]\n"},
        {"Message", QM_TRACE_BRACKETED, nullptr, {c511.c_str()}, "[" + c511 + "]\n", "[Message]\n", "[-------]\n"},
        {"Message User Tid", QM_TRACE_DELIMITED, " | ", {b510.c_str(), "", "7"}, b510 + " |  | 7\n",
         "Message | User | Tid\n", "------- | ---- | ---\n"},
        {"Tid User", QM_TRACE_DELIMITED, nullptr, {"7", "u"}, "7u\n", "TidUser\n", "-------\n"},
        {"Date, Message", QM_TRACE_BRACKETED, nullptr, {"01/05/2009", "Opened"},
         "[01/05/2009][Opened]\n", "[Date][Message]\n", "[----][-------]\n"},
        // Columns: every value, name and rule brought to the field's width.
        {"PreciseTime CacheHits", QM_TRACE_COLUMN, nullptr, {"13:45:07.120", "1234567"},
         "13:45:07.120    " "  " "12345\n", "PreciseTime     " "  " "Cache\n", std::string(16, '-') + "  -----\n"},
        {"Tid Message User", QM_TRACE_DELIMITED, ", ", {"123", "hello", ""},
         "123, hello, \n", "Tid, Message, User\n", "---, -------, ----\n"},
        // A tagged record names its fields itself: no heading.
        {"Date Message", QM_TRACE_TAGGED, nullptr, {"01/05/2009", "a<b>"},
         "<TraceMessage>\n\t<Date>01/05/2009</Date>\n\t<Message>a<b></Message>\n</TraceMessage>\n", "", ""},
        {"", QM_TRACE_BRACKETED, nullptr, {}, "\n", "\n", "\n"},
        {"", QM_TRACE_TAGGED, nullptr, {}, "<TraceMessage>\n</TraceMessage>\n", "", ""},
        // Nor has a JSON object, whose keys name its fields.
        {"Tid Message", QM_TRACE_JSON_LINES, nullptr, {"7", "x"}, "{\"Tid\":\"7\",\"Message\":\"x\"}\n", "", ""},
        {"Message", 7, nullptr, {"x"}, "", "", ""}};  // not a layout: nothing
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        auto master = Master(std::string("components: Log\ndata: ") + c.data + "\n", c.format, c.separator);
        CQmErrLogMessage heading(false), rule(false);
        EXPECT_EQ(Assemble(*master, &heading, qm::kTraceFieldNames), !c.heading.empty());
        EXPECT_EQ(Assemble(*master, &rule, qm::kTraceDashRule), !c.rule.empty());
        EXPECT_EQ(heading.GetBuffer() + std::string("|") + rule.GetBuffer(), c.heading + "|" + c.rule);
        auto copy = CopyOf(*master);
        for (std::size_t i = 0; i < c.values.size(); ++i) copy->SetFieldValue(Order(*master).at(i), c.values[i]);
        EXPECT_EQ(copy->Format(), !c.record.empty());
        EXPECT_EQ(copy->GetMessage().GetBuffer(), c.record);
    }
}

// Texts of 1024 bytes and more need a heap text, whose second pass must see
// the same arguments; the record's previous result fed back as an argument
// (or as the format) must read as it was, short or long.
TEST_F(Assembly, FormattedTextsOfEverySizeMayTakeTheRecordsPreviousText) {
    CQmTraceData record;
    EXPECT_STREQ(record.FormatTraceMessage(nullptr), "");
    for (std::size_t size : {5, 1023, 1024, 3000, 7}) {
        const std::string text(size, 'x');
        const char* inner = record.FormatTraceMessage("%s|%d", text.c_str(), 123);
        EXPECT_EQ(std::string(inner), text + "|123") << size;
        EXPECT_EQ(std::string(record.FormatTraceMessage("<%s>", inner)), "<" + text + "|123>") << size;
        const char* previous = record.FormatTraceMessage("%s", text.c_str());
        EXPECT_EQ(std::string(record.FormatTraceMessage(previous)), text) << size;
    }
}
