// Assembling records, heading and rule lines in the four layouts, and the
// record's printf-style texts.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "trace/trace_test_access.h"

namespace qmtest {
namespace {

using Access = CQmTraceDataTestAccess;

class AssemblyTest : public TraceConfigTest {
protected:
    // The line of the given kind for a configuration, assembled into a new message.
    std::string Line(CQmTraceData& record, int kind) {
        CQmErrLogMessage message(false);
        EXPECT_TRUE(Access::Assemble(record, &message, kind));
        return std::string(message.GetBuffer(), static_cast<std::size_t>(message.GetBufferLen()));
    }
    std::string Record(CQmTraceData& copy) {
        EXPECT_TRUE(copy.Format());
        std::string text(copy.GetMessage().GetBuffer(), static_cast<std::size_t>(copy.GetMessage().GetBufferLen()));
        copy.LeaveNoBody();
        return text;
    }
    static std::string Padded(const std::string& text, std::size_t width) {
        return text.size() >= width ? text.substr(0, width) : text + std::string(width - text.size(), ' ');
    }
};

TEST_F(AssemblyTest, BracketedRecordHeadingAndRules) {
    auto master = Master("components: Log\ndata: Date, Message\n");
    EXPECT_EQ(Line(*master, 1), "[Date][Message]\n");
    EXPECT_EQ(Line(*master, 2), "[----][-------]\n");
    EXPECT_EQ(Line(*master, 3), "[====][=======]\n");
    EXPECT_EQ(Line(*master, 7), "[====][=======]\n");

    auto copy = CopyOf(*master);
    copy->SetFieldValue(QM_FIELD_DATE, "01/05/2009");
    copy->SetFieldValue(QM_FIELD_MESSAGE, "Opened");
    EXPECT_EQ(Record(*copy), "[01/05/2009][Opened]\n");
    EXPECT_EQ(Record(*copy), "[][]\n");
}

TEST_F(AssemblyTest, ColumnRecordBringsEveryValueToItsWidth) {
    auto master = Master("components: Log\ndata: Date Message\n", QM_TRACE_COLUMN);
    auto copy = CopyOf(*master);
    copy->SetFieldValue(QM_FIELD_DATE, "01/05/2009");
    copy->SetFieldValue(QM_FIELD_MESSAGE, "short");
    EXPECT_EQ(Record(*copy), "01/05/2009      " "  " + Padded("short", 64) + "\n");

    const std::string hundred = std::string(60, 'x') + "0123456789" + std::string(30, 'y');
    copy->SetFieldValue(QM_FIELD_DATE, "01/05/2009");
    copy->SetFieldValue(QM_FIELD_MESSAGE, hundred.c_str());
    EXPECT_EQ(Record(*copy), "01/05/2009      " "  " + hundred.substr(0, 64) + "\n");
}

TEST_F(AssemblyTest, ColumnHeadingAndRuleFollowTheWidthsNotTheNames) {
    auto master = Master("components: Log\ndata: PreciseTime CacheHits\n", QM_TRACE_COLUMN);
    EXPECT_EQ(Line(*master, 1), "PreciseTime     " "  " "Cache\n");
    EXPECT_EQ(Line(*master, 3), std::string(16, '=') + "  " + std::string(5, '=') + "\n");
    EXPECT_EQ(Line(*master, 2), std::string(16, '-') + "  " + std::string(5, '-') + "\n");
}

TEST_F(AssemblyTest, DelimitedRecordPutsTheSeparatorOnlyBetweenFields) {
    char separator[] = ", ";
    auto master = Master("components: Log\ndata: Tid Message User\n", QM_TRACE_DELIMITED, separator);
    separator[0] = '#';  // the master keeps its own copy
    auto copy = CopyOf(*master);
    copy->SetFieldValue(QM_FIELD_TID, "123");
    copy->SetFieldValue(QM_FIELD_MESSAGE, "hello");
    copy->SetFieldValue(9, "");
    EXPECT_EQ(Record(*copy), "123, hello, \n");
    EXPECT_EQ(Line(*master, 1), "Tid, Message, User\n");
    EXPECT_EQ(Line(*master, 3), "===, =======, ====\n");
}

TEST_F(AssemblyTest, DelimitedRecordWithoutSeparatorRunsValuesTogether) {
    auto master = Master("components: Log\ndata: Function Message\n", QM_TRACE_DELIMITED, nullptr);
    auto copy = CopyOf(*master);
    copy->SetFieldValue(7, "one");
    copy->SetFieldValue(QM_FIELD_MESSAGE, "two");
    EXPECT_EQ(Record(*copy), "onetwo\n");
}

TEST_F(AssemblyTest, TaggedRecordIsABlockOfElementsAndHasNoHeading) {
    auto master = Master("components: Log\ndata: Date Message\n", QM_TRACE_TAGGED);
    auto copy = CopyOf(*master);
    copy->SetFieldValue(QM_FIELD_DATE, "01/05/2009");
    copy->SetFieldValue(QM_FIELD_MESSAGE, "a<b>[c]\td\ne");
    EXPECT_EQ(Record(*copy),
              "<TraceMessage>\n"
              "\t<Date>01/05/2009</Date>\n"
              "\t<Message>a<b>[c]\td\ne</Message>\n"
              "</TraceMessage>\n");

    CQmErrLogMessage message(false);
    message.AppendText("before");
    EXPECT_FALSE(Access::Assemble(*master, &message, 1));
    EXPECT_FALSE(Access::Assemble(*master, &message, 3));
    EXPECT_STREQ(message.GetBuffer(), "before");
}

TEST_F(AssemblyTest, AnEmptyFieldOrderGivesOnlyTheLinesEnd) {
    auto bracketed = Master("components: Log\ndata:\n");
    EXPECT_EQ(Line(*bracketed, 0), "\n");
    auto tagged = Master("components: Log\n", QM_TRACE_TAGGED);
    EXPECT_EQ(Line(*tagged, 0), "<TraceMessage>\n</TraceMessage>\n");
}

TEST_F(AssemblyTest, RecordsAppendUntilTheRecordIsEmptied) {
    auto master = Master("components: Log\ndata: Message\n");
    auto copy = CopyOf(*master);
    copy->SetFieldValue(QM_FIELD_MESSAGE, "one");
    ASSERT_TRUE(copy->Format());
    copy->SetFieldValue(QM_FIELD_MESSAGE, "two");
    ASSERT_TRUE(copy->Format());
    EXPECT_STREQ(copy->GetMessage().GetBuffer(), "[one]\n[two]\n");
    copy->LeaveNoBody();
    EXPECT_STREQ(copy->GetMessage().GetBuffer(), "");
}

TEST_F(AssemblyTest, AFormatOutsideTheFourLayoutsWritesNothing) {
    auto master = Master("components: Log\ndata: Message\n", 7);
    auto copy = CopyOf(*master);
    copy->SetFieldValue(QM_FIELD_MESSAGE, "x");
    EXPECT_FALSE(copy->Format());
    EXPECT_EQ(copy->GetMessage().GetBufferLen(), 0);
    CQmErrLogMessage message(false);
    EXPECT_FALSE(Access::Assemble(*master, &message, 1));
    EXPECT_FALSE(Access::Assemble(*master, nullptr, 0));
}

TEST_F(AssemblyTest, FormattedTextsStayInTheRecordUpToTenTwentyThreeBytes) {
    CQmTraceData record;
    EXPECT_STREQ(record.FormatTraceMessage(nullptr), "");
    EXPECT_STREQ(record.FormatTraceMessage(""), "");

    const char* area = Access::FormattedArea(record);
    const char* text = record.FormatTraceMessage("%s|%d", std::string(1019, 'a').c_str(), 123);
    EXPECT_EQ(text, area);
    EXPECT_EQ(std::strlen(text), 1023u);

    // One byte more needs a heap text; the second pass must see the same arguments.
    const std::string head(1020, 'b');
    text = record.FormatTraceMessage("%s|%d", head.c_str(), 123);
    EXPECT_NE(text, area);
    EXPECT_EQ(std::string(text), head + "|123");

    const std::string big(70000, 'c');
    text = record.FormatTraceMessage("<%s>", big.c_str());
    EXPECT_EQ(std::string(text), "<" + big + ">");

    EXPECT_EQ(record.FormatTraceMessage("%d", 5), area);
    EXPECT_STREQ(area, "5");
}

}  // namespace
}  // namespace qmtest
