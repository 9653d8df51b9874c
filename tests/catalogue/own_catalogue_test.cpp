// The library's own catalogue as the default logger sees it when no component
// library can be found.
#include <gtest/gtest.h>

#include <string>

#include "logger_test_access.h"
#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"

namespace {

TEST(OwnCatalogue, ComponentDescribesItselfAndIgnoresAllButTheMessageNumber) {
    CQmErrLogComponent* own = GetComponentPtr();
    ASSERT_NE(nullptr, own);
    EXPECT_EQ(own, GetComponentPtr());
    EXPECT_EQ(0x1000000u, own->GetComponentId());
    EXPECT_STREQ("Log", own->GetShortName());
    EXPECT_STREQ("Log", own->GetDisplayName());
    EXPECT_STREQ("Log description", own->GetDescription());
    EXPECT_EQ(nullptr, own->GetLibraryHandle());

    int count = 0;
    QmTraceComponentDesc* list = nullptr;
    own->GetTraceComponents(&count, &list);
    ASSERT_EQ(1, count);
    ASSERT_NE(nullptr, list);
    EXPECT_STREQ("Legacy", list[0].key);
    EXPECT_STREQ("Legacy", list[0].name);
    EXPECT_STREQ("Legacy Description.", list[0].description);

    // Component and type bits are not consulted.
    EXPECT_STREQ("%1s", own->GetMessage(0xFFFFC002u));
    EXPECT_EQ(nullptr, own->GetMessage(0xFFFFFFFFu));
}

TEST(OwnCatalogue, KnownLibrariesTable) {
    int count = 0;
    const char* const* names = nullptr;
    ASSERT_TRUE(GetKnownComponentLibs(&count, &names));
    ASSERT_EQ(25, count);
    EXPECT_STREQ("qmlogcomponent", names[0]);
    EXPECT_STREQ("qmcomponent01", names[1]);
    EXPECT_STREQ("qmcomponent24", names[24]);
    EXPECT_TRUE(GetKnownComponentLibs(nullptr, nullptr));
}

TEST(OwnCatalogue, FetchMsgFindsOnlyComponentOneMessagesOneToThree) {
    CQmLogger* logger = theLogger();
    ASSERT_TRUE(logger->Inited());
    EXPECT_STREQ("%1s", logger->FetchMsg(QmMessageId(1, QM_MSG_INFO, 1)));
    EXPECT_STREQ("%1s", logger->FetchMsg(QmMessageId(1, QM_MSG_WARNING, 1)));
    EXPECT_STREQ("%1s", logger->FetchMsg(QmMessageId(1, QM_MSG_ERROR, 1)));
    EXPECT_STREQ("%1s", logger->FetchMsg(QmMessageId(1, QM_MSG_INVALID, 3)));
    EXPECT_EQ(nullptr, logger->FetchMsg(QmMessageId(1, QM_MSG_INFO, 0)));
    EXPECT_EQ(nullptr, logger->FetchMsg(QmMessageId(1, QM_MSG_INFO, 4)));
    // No component number, one past the table, an empty slot, the top number.
    EXPECT_EQ(nullptr, logger->FetchMsg(QmMessageId(0, QM_MSG_ERROR, 1)));
    EXPECT_EQ(nullptr, logger->FetchMsg(QmMessageId(26, QM_MSG_INFO, 1)));
    EXPECT_EQ(nullptr, logger->FetchMsg(QmMessageId(2, QM_MSG_INFO, 1)));
    EXPECT_EQ(nullptr, logger->FetchMsg(QmMessageId(255, QM_MSG_INFO, 1)));
}

TEST(OwnCatalogue, OnlySlotZeroIsFilled) {
    CQmLogger* logger = theLogger();
    ASSERT_EQ(25, CQmLoggerTestAccess::ComponentCount(*logger));
    EXPECT_EQ(GetComponentPtr(), CQmLoggerTestAccess::Slot(*logger, 0));
    for (int slot = 1; slot < 25; ++slot) EXPECT_EQ(nullptr, CQmLoggerTestAccess::Slot(*logger, slot)) << slot;
}

TEST(OwnCatalogue, ComponentListText) {
    ASSERT_NE(nullptr, theLogger()->GetAvailableComponents());
    EXPECT_EQ(std::string("Log ; Log description : Legacy ; Legacy Description."),
              theLogger()->GetAvailableComponents());
}

TEST(OwnCatalogue, InfoTableHoldsComponentAndItsTraceComponent) {
    const CQmLogger& logger = *theLogger();
    ASSERT_EQ(2, CQmLoggerTestAccess::InfoCount(logger));
    const QmTraceComponentInfo* info = CQmLoggerTestAccess::Info(logger);
    EXPECT_EQ(0x1000000u, info[0].id);
    EXPECT_STREQ("Log", info[0].name);
    EXPECT_FALSE(info[0].selected);
    EXPECT_EQ(0x1010000u, info[1].id);
    EXPECT_STREQ("Log/Legacy", info[1].name);
    EXPECT_FALSE(info[1].selected);
}

}  // namespace
