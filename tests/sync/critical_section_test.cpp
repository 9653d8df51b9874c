#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "sync/lock_test_access.h"

namespace {

// Increments a plain counter from several threads under the given lock; any
// gap in exclusion shows as a lost update (and as a race under TSan).
template <typename Lock>
long CountUnder(Lock& lock) {
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                lock.Enter();
                ++counter;
                lock.Leave();
            }
        });
    }
    for (auto& thread : threads) thread.join();
    return counter;
}

TEST(CriticalSection, EmbeddedOneExcludesOthersAndLetsTheOwnerReenter) {
    CQmErrLogCriticalSection cs;
    {
        CQmErrLogPrivAutoCS outer(cs);
        CQmErrLogPrivAutoCS inner(cs);
    }
    EXPECT_EQ(CountUnder(cs), 20000);
}

TEST(CriticalSection, HeapOneExcludesOthersAndLetsTheOwnerReenter) {
    CQmErrLogCS cs;
    ASSERT_TRUE(cs.Exists());
    {
        CQmErrLogAutoCS outer(cs);
        CQmErrLogAutoCS inner(cs);
    }
    EXPECT_EQ(CountUnder(cs), 20000);
}

TEST(CriticalSection, HoldersLeaveWhenABlockEndsInAnException) {
    CQmErrLogCS cs;
    try {
        CQmErrLogAutoCS hold(cs);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    // Another thread can enter, so the holder left.
    std::thread([&] {
        cs.Enter();
        cs.Leave();
    }).join();
}

TEST(CriticalSection, HeapOneWithoutStorageDoesNothing) {
    CQmErrLogCS cs;
    QmCriticalSectionStorage* storage = QmLockTestAccess::Detach(cs);
    EXPECT_FALSE(cs.Exists());
    cs.Enter();
    cs.Leave();
    cs.Leave();  // unbalanced, yet harmless without a lock
    {
        CQmErrLogAutoCS hold(cs);
    }
    QmLockTestAccess::Restore(cs, storage);
    EXPECT_TRUE(cs.Exists());
}

}  // namespace
