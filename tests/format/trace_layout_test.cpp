#include <string>

#include <gtest/gtest.h>

#include "qmerrlog/message.h"

TEST(TraceLayout, BracketedWrapsEveryField) {
    CQmErrLogMessage m(false);
    m.BeginTraceFormat(QM_TRACE_BRACKETED, true, nullptr);
    EXPECT_TRUE(m.UsesLocalTime());
    m.FormatTraceField("01/05/2009", "Date");
    m.FormatTraceField("", "Empty");
    m.FormatTraceField("a]\t[b\n", "Raw");
    m.EndTraceFormat();
    EXPECT_EQ(std::string(m.GetBuffer()), "[01/05/2009][][a]\t[b\n]\n");
}

TEST(TraceLayout, ColumnsPadCutAndSeparateByTwoBlanks) {
    CQmErrLogMessage m(false);
    m.BeginTraceFormat(QM_TRACE_COLUMN, false, nullptr);
    m.FormatTraceField("ab", 4);
    m.FormatTraceField("named", "Ignored");  // the column layout takes widths only
    m.FormatTraceField("abcdef", 3);
    m.FormatTraceField("gone", 0);
    m.FormatTraceField("", 2);
    m.FormatTraceField("neg", -4);
    m.FormatTraceField(std::string(70, 'v').c_str(), 64);
    m.EndTraceFormat();
    EXPECT_EQ(std::string(m.GetBuffer()),
              "ab    abc    " "  " "    " + std::string(64, 'v') + "\n");
}

TEST(TraceLayout, DelimitedPutsSeparatorBetweenFieldsOnly) {
    CQmErrLogMessage m(false);
    m.BeginTraceFormat(QM_TRACE_DELIMITED, false, "|");
    m.FormatTraceField("one", "A");
    m.FormatTraceField("two", "B");
    m.FormatTraceField("three", "C");
    m.EndTraceFormat();
    const std::string separator = ", ";
    m.BeginTraceFormat(QM_TRACE_DELIMITED, false, separator.c_str());
    m.FormatTraceField("x", "A");
    m.FormatTraceField("y", "B");
    m.EndTraceFormat();
    m.BeginTraceFormat(QM_TRACE_DELIMITED, false, nullptr);
    m.FormatTraceField("p", "A");
    m.FormatTraceField("q", "B");
    m.EndTraceFormat();
    // Records follow one another when the message is not cleaned up.
    EXPECT_STREQ(m.GetBuffer(), "one|two|three\nx, y\npq\n");
}

TEST(TraceLayout, TaggedWritesOneElementPerLine) {
    CQmErrLogMessage m(false);
    m.BeginTraceFormat(QM_TRACE_TAGGED, false, "TraceMessage");
    m.FormatTraceField("01/05/2009", "Date");
    m.FormatTraceField("", "Message");
    m.FormatTraceField("<b>", nullptr);
    m.EndTraceFormat();
    EXPECT_STREQ(m.GetBuffer(),
                 "<TraceMessage>\n\t<Date>01/05/2009</Date>\n\t<Message></Message>\n"
                 "\t<><b></>\n</TraceMessage>\n");
    // A width still gives a column, even in the tagged layout.
    m.CleanUpMessage();
    m.BeginTraceFormat(QM_TRACE_TAGGED, false, "T");
    m.FormatTraceField("a", 2);
    m.FormatTraceField("b", 1);
    m.EndTraceFormat();
    EXPECT_STREQ(m.GetBuffer(), "<T>\na   b</T>\n");
}
