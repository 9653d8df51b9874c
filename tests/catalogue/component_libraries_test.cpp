// Component libraries found on the loader's search path: the test components
// qmcomponent03 (a real catalogue, component number 4 in slot 3),
// qmcomponent05 (no entry), qmcomponent07 (an entry that offers nothing) and
// qmcomponent13 (links the library, whose own entry the loader would find
// through it, but has none of its own).
// No default logger is made in this program, so the loggers here hold the
// only references to the libraries.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/dynamic_library.h"
#include "support/logger_test_access.h"
#include "unload_watch.h"

namespace qp = qm::platform;
using Access = CQmLoggerTestAccess;

// Set by a library when its statics die, i.e. when its last reference is
// freed. Globals, as the libraries may outlive every test.
static int g_thirdUnloaded, g_fifthUnloaded, g_seventhUnloaded;

// A reference of the test's own to a library that sets *flag when it leaves
// the process.
static void* Watch(const char* name, int* flag) {
    void* library = qp::LoadLibraryByName(name);
    const auto watch =
        reinterpret_cast<QmTestWatchUnloadFunction>(qp::FindLibrarySymbol(library, "QmTestWatchUnload"));
    if (watch != nullptr) watch(flag);
    *flag = 0;
    return library;
}

TEST(ComponentLibraries, FoundLibrariesFillTheirSlotsAndTheOthersAreGivenBackAtOnce) {
    void* fifth = Watch("qmcomponent05", &g_fifthUnloaded);
    void* seventh = Watch("qmcomponent07", &g_seventhUnloaded);
    ASSERT_TRUE(fifth != nullptr && seventh != nullptr);
    std::unique_ptr<CQmLogger> logger(Access::Make());
    EXPECT_STREQ(logger->FetchMsg(QmMessageId(4, QM_MSG_INFO, 1)), "alpha %s");
    EXPECT_EQ(logger->FetchMsg(QmMessageId(4, QM_MSG_INFO, 5)), nullptr);
    EXPECT_STREQ(logger->GetAvailableComponents(),
                 "Log ; Log description : Legacy ; Legacy Description. | "
                 "Third ; Third test component : Alpha ; First trace&Beta ; Second trace");
    EXPECT_EQ(Access::InfoRows(*logger), (Rows{"01000000 Log", "01010000 Log/Legacy", "04000000 Third",
                                               "04010000 Third/Alpha", "04020000 Third/Beta"}));
    EXPECT_EQ(logger->FetchMsg(QmMessageId(14, QM_MSG_INFO, 1)), nullptr);  // row 13's slot stays empty
    // Our references were the last ones: the logger kept none.
    qp::FreeLibraryHandle(fifth), qp::FreeLibraryHandle(seventh);
    EXPECT_EQ(g_fifthUnloaded + g_seventhUnloaded, 2);
}

// A symbol is found only in the library asked, never in one it depends on.
TEST(ComponentLibraries, EntriesAreLookedUpInTheLibraryItselfOnly) {
    void* thirteenth = qp::LoadLibraryByName("qmcomponent13");
    ASSERT_NE(thirteenth, nullptr);
    EXPECT_NE(qp::FindLibrarySymbol(thirteenth, "GetComponentPointer"), nullptr);
    EXPECT_EQ(qp::FindLibrarySymbol(thirteenth, "GetComponentPtr"), nullptr);
    EXPECT_EQ(qp::FindLibrarySymbol(thirteenth, "theLogger"), nullptr);
    qp::FreeLibraryHandle(thirteenth);
}

// A lone logger's release is the last holder: the library leaves the process,
// and the next logger looks it up again. Loggers then share the process's
// one reference: whichever release comes first is the process's one unload,
// which gives the reference back only when no other logger holds the
// library, so with three loggers left the library stays. One test, as the
// library never leaves this process once loggers have shared it.
TEST(ComponentLibraries, TheLastHolderGivesTheLibraryBackAndLoggersTogetherShareOneReference) {
    CQmLogger::m_bUnloadedComponents = false;
    CQmLogger* first = Access::Make();
    qp::FreeLibraryHandle(Watch("qmcomponent03", &g_thirdUnloaded));
    EXPECT_STREQ(first->FetchMsg(QmMessageId(4, QM_MSG_INFO, 1)), "alpha %s");
    const std::string firstList = first->GetAvailableComponents();
    const Rows firstRows = Access::InfoRows(*first);
    delete first;
    EXPECT_EQ(g_thirdUnloaded, 1);

    CQmLogger::m_bUnloadedComponents = false;  // as if no logger had been released yet
    std::vector<CQmLogger*> loggers(4);
    std::vector<std::thread> threads;
    for (CQmLogger*& logger : loggers) threads.emplace_back([&logger] { logger = Access::Make(); });
    for (std::thread& thread : threads) thread.join();
    qp::FreeLibraryHandle(Watch("qmcomponent03", &g_thirdUnloaded));
    threads.clear();
    // One component object for all.
    const char* shared = loggers[0]->FetchMsg(QmMessageId(4, QM_MSG_WARNING, 2));
    EXPECT_STREQ(shared, "beta %d of %d");
    for (CQmLogger* logger : loggers) EXPECT_EQ(logger->FetchMsg(QmMessageId(4, QM_MSG_WARNING, 2)), shared);
    // The library loaded again reports as before, from lists the four share.
    for (CQmLogger* logger : loggers) {
        EXPECT_EQ(firstList, logger->GetAvailableComponents());
        EXPECT_EQ(firstRows, Access::InfoRows(*logger));
        EXPECT_EQ(loggers[0]->GetAvailableComponents(), logger->GetAvailableComponents());
    }
    for (CQmLogger* logger : loggers) threads.emplace_back([logger] { delete logger; });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(g_thirdUnloaded, 0);
}
