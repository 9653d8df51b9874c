// The body of a log line, looked up through the default logger's catalogue.
#include <gtest/gtest.h>

#include <string>

#include "fake_component.h"
#include "logger_test_access.h"
#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"

using qmtest::FakeComponent;

namespace {

constexpr unsigned int kOwn = 1;

std::string Body(unsigned int id, const char* argument) {
    CQmErrLogMessage message(false);
    if (!message.FormatLogMessage(static_cast<int>(id), argument)) return "<no text>";
    return message.GetBuffer();
}

TEST(FormatLogMessage, TypeWordThenFormattedTextThenLineFeed) {
    EXPECT_EQ("[INFO] disk full\n", Body(QmMessageId(kOwn, QM_MSG_INFO, 1), "disk full"));
    EXPECT_EQ("[WARNING] w\n", Body(QmMessageId(kOwn, QM_MSG_WARNING, 2), "w"));
    EXPECT_EQ("[ERROR] e\n", Body(QmMessageId(kOwn, QM_MSG_ERROR, 3), "e"));
    EXPECT_EQ("[INVALID MESSAGE TYPE] i\n", Body(QmMessageId(kOwn, QM_MSG_INVALID, 1), "i"));
    // "%1s" pads an empty argument to one character.
    EXPECT_EQ("[INFO]  \n", Body(QmMessageId(kOwn, QM_MSG_INFO, 1), ""));
}

TEST(FormatLogMessage, NoTextLeavesTheMessageUnchanged) {
    CQmErrLogMessage message(false);
    message.AppendText("kept");
    EXPECT_FALSE(message.FormatLogMessage(static_cast<int>(QmMessageId(kOwn, QM_MSG_ERROR, 4)), "x"));
    EXPECT_FALSE(message.FormatLogMessage(static_cast<int>(QmMessageId(0, QM_MSG_ERROR, 1)), "x"));
    EXPECT_FALSE(message.FormatLogMessage(static_cast<int>(QmMessageId(2, QM_MSG_INFO, 1)), "x"));
    EXPECT_FALSE(message.FormatLogMessage(static_cast<int>(QmMessageId(26, QM_MSG_INFO, 1)), "x"));
    EXPECT_STREQ("kept", message.GetBuffer());
}

// Component number 255 sets the sign bit of the int id: it must still be
// taken as an unsigned component number, not an index below zero.
TEST(FormatLogMessage, TopComponentNumberIsNotNegative) {
    EXPECT_EQ("<no text>", Body(QmMessageId(255, QM_MSG_INFO, 1), "x"));
}

TEST(FormatLogMessage, LongTextIsCutAt4095Bytes) {
    const std::string longText(5000, 'z');
    const std::string body = Body(QmMessageId(kOwn, QM_MSG_INFO, 1), longText.c_str());
    EXPECT_EQ("[INFO] " + std::string(4095, 'z') + "\n", body);
}

TEST(FormatLogMessage, AppendsToTheProlog) {
    CQmErrLogMessage message(false);
    ASSERT_TRUE(message.FormatLogProlog("dir/file.cpp", 12, 0));
    const std::string prolog = message.GetBuffer();
    ASSERT_FALSE(prolog.empty());
    ASSERT_TRUE(message.FormatLogMessage(static_cast<int>(QmMessageId(kOwn, QM_MSG_ERROR, 1)), "boom"));
    EXPECT_EQ(prolog + "[ERROR] boom\n", message.GetBuffer());
}

// Catalogue texts other than the library's own, lent to the default logger's
// empty slot for component number 2.
class BorrowedCatalogue : public ::testing::Test {
protected:
    void Lend(FakeComponent* component) {
        ASSERT_EQ(nullptr, CQmLoggerTestAccess::Slot(*theLogger(), 1));
        CQmLoggerTestAccess::SetSlot(*theLogger(), 1, component);
    }
    void TearDown() override { CQmLoggerTestAccess::SetSlot(*theLogger(), 1, nullptr); }
};

TEST_F(BorrowedCatalogue, EmptyCatalogueTextGivesTypeWordAlone) {
    FakeComponent empty(0x2000000u, "Empty", "");
    Lend(&empty);
    EXPECT_EQ("[WARNING] \n", Body(QmMessageId(2, QM_MSG_WARNING, 9), "unused"));
    EXPECT_EQ("", std::string(theLogger()->FetchMsg(QmMessageId(2, QM_MSG_WARNING, 9))));
}

TEST_F(BorrowedCatalogue, EveryArgumentReachesTheFormat) {
    FakeComponent mixed(0x2000000u, "Mixed", "%s=%d (%lu, %.1f) %c");
    Lend(&mixed);
    CQmErrLogMessage message(false);
    ASSERT_TRUE(message.FormatLogMessage(static_cast<int>(QmMessageId(2, QM_MSG_ERROR, 1)), "port", 8080,
                                         4000000000ul, 2.5, 'k'));
    EXPECT_STREQ("[ERROR] port=8080 (4000000000, 2.5) k\n", message.GetBuffer());
}

}  // namespace
