// The four trace layouts, field by field.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qmerrlog/message.h"

namespace {

const char* const kByWidth = "";  // marks a field given by width, not by name
struct Field { const char* value; const char* name; int width = 0; };

TEST(TraceLayout, EachLayoutWritesItsFieldsByteForByte) {
    const std::string v64(64, 'v'), v70(70, 'v');
    const struct { int layout; const char* argument; std::vector<Field> fields; std::string text; } cases[] = {
        {QM_TRACE_BRACKETED, nullptr, {{"01/05/2009", "Date"}, {"", "Empty"}, {"a]\t[b\n", "Raw"}},
         "[01/05/2009][][a]\t[b\n]\n"},
        // Widths only: padded or cut, two blanks between, nothing for a width of 0 or less.
        {QM_TRACE_COLUMN, nullptr, {{"ab", kByWidth, 4}, {"named", "Ignored"}, {"abcdef", kByWidth, 3},
          {"gone", kByWidth, 0}, {"", kByWidth, 2}, {"neg", kByWidth, -4}, {v70.c_str(), kByWidth, 64}},
         "ab    abc    " "  " "    " + v64 + "\n"},
        {QM_TRACE_DELIMITED, ", ", {{"one", "A"}, {"two", "B"}, {"", "C"}}, "one, two, \n"},
        {QM_TRACE_DELIMITED, nullptr, {{"p", "A"}, {"q", "B"}}, "pq\n"},
        {QM_TRACE_TAGGED, "TraceMessage", {{"01/05/2009", "Date"}, {"", "Message"}, {"<b>", nullptr}},
         "<TraceMessage>\n\t<Date>01/05/2009</Date>\n\t<Message></Message>\n\t<><b></>\n</TraceMessage>\n"},
        // A width still gives a column, even in the tagged layout.
        {QM_TRACE_TAGGED, "T", {{"a", kByWidth, 2}, {"b", kByWidth, 1}}, "<T>\na   b</T>\n"}};
    CQmErrLogMessage message(false);
    std::string all;  // records follow one another until the message is cleaned up
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        message.BeginTraceFormat(c.layout, false, c.argument);
        for (const Field& f : c.fields) {
            f.name == kByWidth ? message.FormatTraceField(f.value, f.width) : message.FormatTraceField(f.value, f.name);
        }
        message.EndTraceFormat();
        EXPECT_EQ(std::string(message.GetBuffer()), all += c.text);
    }
}

}  // namespace
