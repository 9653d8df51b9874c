// The catalogue of a program that finds no component library: the library's
// own component, the list text and info table built from component slots,
// FetchMsg, and the body FormatLogMessage makes of a catalogue text.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"
#include "support/logger_test_access.h"

namespace {

// A component with one text for every message and trace components named T.
class FakeComponent : public CQmErrLogComponent {
public:
    FakeComponent(unsigned int id, const char* text, std::size_t traceCount = 0)
        : m_text(text), m_traces(traceCount, QmTraceComponentDesc{"", "T", "d"}) {
        m_uComponentId = id, m_pszDisplayName = "Fake", m_pszDescription = "fake";
    }
    void GetTraceComponents(int* count, QmTraceComponentDesc** list) override {
        *count = static_cast<int>(m_traces.size()), *list = m_traces.data();
    }
    const char* GetMessage(unsigned int) override { return m_text; }

    const char* m_text;
    std::vector<QmTraceComponentDesc> m_traces;
};

TEST(Catalogue, DefaultLoggerKnowsTheOwnComponentAlone) {
    EXPECT_STREQ(theLogger()->GetAvailableComponents(), "Log ; Log description : Legacy ; Legacy Description.");
    EXPECT_EQ(CQmLoggerTestAccess::InfoRows(*theLogger()), (Rows{"01000000 Log", "01010000 Log/Legacy"}));

    int count = 0;
    const char* const* names = nullptr;
    ASSERT_TRUE(GetKnownComponentLibs(&count, &names) && count == 25);
    EXPECT_EQ(std::string(names[0]) + " " + names[24], "qmlogcomponent qmcomponent24");
}

// The own texts are messages 1 to 3 of component 1, whatever the type; the
// body is the type word, the formatted text and a line feed, appended to what
// the message holds, which no text only ends with a line feed, and keeps at most 4095
// bytes of the formatted text. Component number 255 sets the sign bit of the
// int id and must not be taken for an index below zero.
TEST(Catalogue, OwnTextsAndTheBodiesMadeOfThem) {
    // Component, type, number, and the body, empty when there is no text.
    const std::string z4095(4095, 'z');
    const struct { unsigned int component, type, number; std::string body, argument = "a"; } cases[] = {
        {1, QM_MSG_INFO, 1, "[INFO] a\n"},   {1, QM_MSG_WARNING, 2, "[WARNING] a\n"},
        {1, QM_MSG_ERROR, 3, "[ERROR] a\n"}, {1, QM_MSG_INVALID, 1, "[INVALID MESSAGE TYPE] a\n"},
        {1, QM_MSG_INFO, 1, "[INFO] " + z4095 + "\n", z4095 + std::string(905, 'x')},
        {1, QM_MSG_INFO, 0, ""},  {1, QM_MSG_ERROR, 4, ""}, {0, QM_MSG_ERROR, 1, ""},
        {2, QM_MSG_INFO, 1, ""},  {26, QM_MSG_INFO, 1, ""}, {255, QM_MSG_INFO, 1, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.component << "/" << c.type << "/" << c.number);
        const unsigned int id = QmMessageId(c.component, c.type, c.number);
        EXPECT_STREQ(theLogger()->FetchMsg(id), c.body.empty() ? nullptr : "%1s");
        CQmErrLogMessage message(false);
        message.AppendText("kept");
        EXPECT_EQ(message.FormatLogMessage(static_cast<int>(id), c.argument.c_str()), !c.body.empty());
        EXPECT_EQ(message.GetBuffer(), "kept" + (c.body.empty() ? "\n" : c.body));
    }
    CQmErrLogMessage fresh(false);  // nothing to end: no empty line either
    EXPECT_FALSE(fresh.FormatLogMessage(static_cast<int>(QmMessageId(2, QM_MSG_INFO, 1)), "a"));
    EXPECT_STREQ(fresh.GetBuffer(), "");
}

// Texts other than the library's own, lent to the default logger's empty
// slot of component 2, whatever their number. A caller's text can never end
// the line early or start a forged one: control characters in arguments are
// escaped, those of the catalogue text are kept. Each conversion reads
// exactly its own argument, whatever its kind or place. The texts most
// catalogues hold, a fixed text or one argument shown whole, give exactly
// what the general formatter gives: "%1s" pads an empty text to one space, a
// missing text reads "(null)", and escapes are never cut in half at the
// 4095-byte bound.
TEST(Catalogue, BorrowedTextsMakeEscapedBodiesOfTheirOwnArguments) {
    int written = 77;
    errno = ENOENT;
    const std::string noEntry = std::strerror(ENOENT), z4094(4094, 'z'), long5000(5000, 'q');
    // Without a call of its own, a case formats its one argument.
    using Format = bool (*)(CQmErrLogMessage&, int, int*);
    const struct {
        const char* text;
        std::string body;
        const char* argument = "unused";
        Format format = nullptr;
    } cases[] = {
        {"%1s", " ", ""}, {"%s", "", ""}, {"%1s", "(null)", nullptr}, {"%s", "(null)", nullptr},
        {"%s", "a\\nb\\x1b", "a\nb\x1b"}, {"%1s", "caf\xc3\xa9", "caf\xc3\xa9"},
        {"no conversions\there", "no conversions\there"}, {"", ""}, {long5000.c_str(), std::string(4095, 'q')},
        {"%s=%d (%lu, %.1f) %c", "port=8080 (4000000000, 2.5) k", nullptr,
         [](CQmErrLogMessage& m, int, int*) {
             return m.FormatLogMessage(static_cast<int>(QmMessageId(2, QM_MSG_INFO, 9)), "port", 8080, 4000000000ul,
                                       2.5, 'k');
         }},
        {"user %s\tsaid %s (%c) %d", "user alice\\n[INFO] forged\tsaid a\\r\\x1b[2J\\x7f (\\n) 5", nullptr,
         [](CQmErrLogMessage& m, int id, int*) {
             return m.FormatLogMessage(id, "alice\n[INFO] forged", "a\r\x1b[2J\x7f", '\n', 5);
         }},
        {"%2$s-%1$*3$d|%4$-4s|", "b-   7|c   |", nullptr,
         [](CQmErrLogMessage& m, int id, int*) { return m.FormatLogMessage(id, 7, "b", 4, "c"); }},
        {"%s%n.%m%%", "a." + noEntry + "%", nullptr,
         [](CQmErrLogMessage& m, int id, int* n) { return m.FormatLogMessage(id, "a", n); }},
        {"%.3s|%5.1f|%lu|%x", "abc|  2.5|4000000000|ff", nullptr,
         [](CQmErrLogMessage& m, int id, int*) { return m.FormatLogMessage(id, "abcdef", 2.5, 4000000000ul, 255u); }},
        {"%99999999s", std::string(4095 - 1, ' ') + "x", "x"},
        {"100%% sure %y, 5%", "100% sure %y, 5%", nullptr,
         [](CQmErrLogMessage& m, int id, int*) { return m.FormatLogMessage(id); }}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text).substr(0, 20));
        FakeComponent component(0x2000000u, c.text);
        CQmLoggerTestAccess::SetSlot(*theLogger(), 1, &component);
        CQmErrLogMessage message(false);
        const int id = static_cast<int>(QmMessageId(2, QM_MSG_INFO, 1));
        EXPECT_TRUE(c.format ? c.format(message, id, &written) : message.FormatLogMessage(id, c.argument));
        CQmLoggerTestAccess::SetSlot(*theLogger(), 1, nullptr);
        EXPECT_EQ(message.GetBuffer(), "[INFO] " + c.body + "\n");
    }
    EXPECT_EQ(written, 77);  // %n never writes
    EXPECT_EQ(errno, ENOENT);  // nor does formatting change errno
    // The last escape that would pass the bound is left out whole.
    const std::string cut = z4094 + "\n";
    CQmErrLogMessage message(false);
    EXPECT_TRUE(message.FormatLogMessage(static_cast<int>(QmMessageId(1, QM_MSG_INFO, 1)), cut.c_str()));
    EXPECT_EQ(message.GetBuffer(), "[INFO] " + z4094 + "\n");
}

// Stray low bits in a component id, more trace components than the id layout
// can number (255) and than a first estimate holds, and a full 32-byte trace
// component name without its NUL.
TEST(Catalogue, InfoTableCopesWithOddComponents) {
    FakeComponent many(0x2012345u, "x", 300);
    std::memset(many.m_traces[254].name, 'n', sizeof many.m_traces[254].name);
    CQmErrLogComponent* table[] = {nullptr, &many, nullptr};
    std::string text = "stale";
    QmTraceComponentInfo* info = nullptr;
    int count = -1;
    qm::BuildComponentInfo(table, 3, &text, &info, &count);
    const Rows rows = InfoRows(info, count);
    qm::FreeComponentInfo(&info, &count);
    ASSERT_EQ(rows.size(), 256u);
    EXPECT_EQ(rows[0] + "|" + rows[1] + "|" + rows[255],
              "02000000 Fake|02010000 Fake/T|02ff0000 Fake/" + std::string(32, 'n'));
    EXPECT_EQ(text.substr(text.size() - 36), std::string(32, 'n') + " ; d");

    qm::BuildComponentInfo(table, 1, &text, &info, &count);  // no component at all
    EXPECT_TRUE(text.empty() && count == 0);
    qm::FreeComponentInfo(&info, &count);
}

}  // namespace
