// Component libraries found on the loader's search path: the test components
// qmcomponent03 (a real catalogue), qmcomponent05 (no entry) and qmcomponent07
// (an entry that offers nothing). No default logger is made in this program,
// so the loggers here hold the only references to the libraries.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "logger_test_access.h"
#include "platform/dynamic_library.h"
#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/registry.h"
#include "unload_watch.h"

namespace {

constexpr int kThirdSlot = 3;
constexpr unsigned int kThird = 4;  // component number of qmcomponent03

// Set when a library's statics die, i.e. when its last reference is freed.
// Globals: the libraries may outlive every test.
int g_thirdUnloaded;
int g_fifthUnloaded;
int g_seventhUnloaded;

// Watches a library through a reference of the test's own; the reference is
// given back unless keep is true.
void* Watch(const char* name, int* flag, bool keep = false) {
    void* library = qm::platform::LoadLibraryByName(name);
    if (library == nullptr) return nullptr;
    auto watch = reinterpret_cast<QmTestWatchUnloadFunction>(
        qm::platform::FindLibrarySymbol(library, "QmTestWatchUnload"));
    if (watch != nullptr) watch(flag);
    *flag = 0;
    if (!keep) {
        qm::platform::FreeLibraryHandle(library);
        return nullptr;
    }
    return library;
}

// Gives back references that loggers keep by design after the process's one
// unload, so each test starts with the libraries out of the process.
void FreeKeptReferences(const char* name, int count) {
    void* library = qm::platform::LoadLibraryByName(name);
    ASSERT_NE(nullptr, library);
    for (int i = 0; i <= count; ++i) qm::platform::FreeLibraryHandle(library);
}

class ComponentLibraries : public ::testing::Test {
protected:
    void SetUp() override { CQmLogger::m_bUnloadedComponents = false; }
    void TearDown() override { CQmLogger::m_bUnloadedComponents = false; }
};

TEST_F(ComponentLibraries, FoundLibrariesFillTheirSlotsAndTheRestStayEmpty) {
    std::unique_ptr<CQmLogger> logger(CQmLoggerTestAccess::Make());
    CQmErrLogComponent* third = CQmLoggerTestAccess::Slot(*logger, kThirdSlot);
    ASSERT_NE(nullptr, third);
    EXPECT_EQ(kThird << 24, third->GetComponentId());
    EXPECT_NE(nullptr, third->GetLibraryHandle());
    EXPECT_EQ(GetComponentPtr(), CQmLoggerTestAccess::Slot(*logger, 0));
    for (int slot = 1; slot < 25; ++slot) {
        if (slot != kThirdSlot) {
            EXPECT_EQ(nullptr, CQmLoggerTestAccess::Slot(*logger, slot)) << slot;
        }
    }

    EXPECT_STREQ("alpha %s", logger->FetchMsg(QmMessageId(kThird, QM_MSG_INFO, 1)));
    EXPECT_STREQ("gamma", logger->FetchMsg(QmMessageId(kThird, QM_MSG_ERROR, 3)));
    EXPECT_EQ(nullptr, logger->FetchMsg(QmMessageId(kThird, QM_MSG_INFO, 5)));
    EXPECT_EQ(nullptr, logger->FetchMsg(QmMessageId(6, QM_MSG_INFO, 1)));
    EXPECT_EQ(nullptr, logger->FetchMsg(QmMessageId(8, QM_MSG_INFO, 1)));
    EXPECT_STREQ("%1s", logger->FetchMsg(QmMessageId(1, QM_MSG_INFO, 1)));
}

TEST_F(ComponentLibraries, ListTextAndInfoTableCoverEveryLoadedComponent) {
    std::unique_ptr<CQmLogger> logger(CQmLoggerTestAccess::Make());
    ASSERT_NE(nullptr, logger->GetAvailableComponents());
    EXPECT_EQ(std::string("Log ; Log description : Legacy ; Legacy Description. | "
                          "Third ; Third test component : Alpha ; First trace&Beta ; Second trace"),
              logger->GetAvailableComponents());

    struct Expected {
        unsigned int id;
        const char* name;
    };
    const Expected expected[] = {
        {0x1000000u, "Log"},   {0x1010000u, "Log/Legacy"},  {0x4000000u, "Third"},
        {0x4010000u, "Third/Alpha"}, {0x4020000u, "Third/Beta"},
    };
    ASSERT_EQ(5, CQmLoggerTestAccess::InfoCount(*logger));
    const QmTraceComponentInfo* info = CQmLoggerTestAccess::Info(*logger);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(expected[i].id, info[i].id) << i;
        EXPECT_STREQ(expected[i].name, info[i].name) << i;
        EXPECT_FALSE(info[i].selected) << i;
    }
}

TEST_F(ComponentLibraries, ReleaseFreesTheLibrary) {
    CQmLogger* logger = CQmLoggerTestAccess::Make();
    Watch("qmcomponent03", &g_thirdUnloaded);
    EXPECT_EQ(0, g_thirdUnloaded);
    delete logger;
    EXPECT_EQ(1, g_thirdUnloaded);
    EXPECT_TRUE(CQmLogger::m_bUnloadedComponents);
}

TEST_F(ComponentLibraries, LibrariesWithoutAComponentAreGivenBackAtOnce) {
    void* fifth = Watch("qmcomponent05", &g_fifthUnloaded, /*keep=*/true);
    void* seventh = Watch("qmcomponent07", &g_seventhUnloaded, /*keep=*/true);
    ASSERT_NE(nullptr, fifth);
    ASSERT_NE(nullptr, seventh);
    std::unique_ptr<CQmLogger> logger(CQmLoggerTestAccess::Make());
    EXPECT_EQ(nullptr, CQmLoggerTestAccess::Slot(*logger, 5));
    EXPECT_EQ(nullptr, CQmLoggerTestAccess::Slot(*logger, 7));
    EXPECT_EQ(nullptr, logger->FetchMsg(QmMessageId(6, QM_MSG_INFO, 1)));
    // Our references were the last ones: the logger kept none.
    qm::platform::FreeLibraryHandle(fifth);
    qm::platform::FreeLibraryHandle(seventh);
    EXPECT_EQ(1, g_fifthUnloaded);
    EXPECT_EQ(1, g_seventhUnloaded);
}

TEST_F(ComponentLibraries, SecondLoggerReleaseFreesNoLibrary) {
    CQmLogger* first = getMyLogger("catalogue-first");
    CQmLogger* second = getMyLogger("catalogue-second");
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    Watch("qmcomponent03", &g_thirdUnloaded);

    ASSERT_TRUE(removeMyLogger("catalogue-first"));
    EXPECT_TRUE(CQmLogger::m_bUnloadedComponents);
    EXPECT_EQ(0, g_thirdUnloaded);
    // The second logger's reference keeps its component alive.
    EXPECT_STREQ("alpha %s", second->FetchMsg(QmMessageId(kThird, QM_MSG_INFO, 1)));

    ASSERT_TRUE(removeMyLogger("catalogue-second"));
    EXPECT_EQ(0, g_thirdUnloaded);
    // Exactly the second logger's one reference was left behind.
    FreeKeptReferences("qmcomponent03", 1);
    EXPECT_EQ(1, g_thirdUnloaded);
}

TEST_F(ComponentLibraries, LoadersStartingAndStoppingTogetherUnloadOnce) {
    constexpr int kLoggers = 4;
    std::vector<CQmLogger*> loggers(kLoggers, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < kLoggers; ++i) {
        threads.emplace_back([&loggers, i] { loggers[static_cast<std::size_t>(i)] = CQmLoggerTestAccess::Make(); });
    }
    for (std::thread& thread : threads) thread.join();
    threads.clear();
    for (CQmLogger* logger : loggers) {
        EXPECT_STREQ("beta %d of %d", logger->FetchMsg(QmMessageId(kThird, QM_MSG_WARNING, 2)));
    }
    Watch("qmcomponent03", &g_thirdUnloaded);

    for (CQmLogger* logger : loggers) threads.emplace_back([logger] { delete logger; });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(0, g_thirdUnloaded);
    FreeKeptReferences("qmcomponent03", kLoggers - 1);
    EXPECT_EQ(1, g_thirdUnloaded);
}

// LoadComponent takes a reference and shares the handle cell of the logger
// that loaded the library first; UnloadComponent gives that reference and the
// cell back, after which no release frees the library any more.
TEST_F(ComponentLibraries, SingleLibraryLoadAndUnload) {
    CQmLogger* logger = CQmLoggerTestAccess::Make();
    EXPECT_EQ(nullptr, CQmLoggerTestAccess::LoadComponent(*logger, "qmcomponent05"));
    EXPECT_EQ(nullptr, CQmLoggerTestAccess::LoadComponent(*logger, "qmcomponent07"));
    EXPECT_EQ(nullptr, CQmLoggerTestAccess::LoadComponent(*logger, "qmcomponent01"));
    EXPECT_EQ(nullptr, CQmLoggerTestAccess::LoadComponent(*logger, nullptr));
    CQmLoggerTestAccess::UnloadComponent(*logger, GetComponentPtr());  // no library behind it

    CQmErrLogComponent* third = CQmLoggerTestAccess::LoadComponent(*logger, "qmcomponent03");
    ASSERT_EQ(CQmLoggerTestAccess::Slot(*logger, kThirdSlot), third);
    ASSERT_NE(nullptr, third->GetLibraryHandle());
    Watch("qmcomponent03", &g_thirdUnloaded);

    CQmLoggerTestAccess::UnloadComponent(*logger, third);
    EXPECT_EQ(nullptr, third->GetLibraryHandle());
    EXPECT_EQ(0, g_thirdUnloaded);
    delete logger;
    EXPECT_EQ(0, g_thirdUnloaded);
    FreeKeptReferences("qmcomponent03", 1);
    EXPECT_EQ(1, g_thirdUnloaded);
}

}  // namespace
