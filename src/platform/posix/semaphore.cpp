// Counting semaphore built from a mutex and a condition variable on the
// monotonic clock: this keeps the maximum count exact (a rise past it is
// refused atomically) and makes timed waits immune to wall-clock changes.
#include "platform/semaphore.h"

#include <pthread.h>
#include <time.h>

#include <cerrno>
#include <new>

namespace qm {
namespace platform {

namespace {

struct Semaphore {
    pthread_mutex_t mutex;
    pthread_cond_t available;
    long count;
    long maximum;
};

bool InitSemaphore(Semaphore* semaphore, long initialCount, long maximumCount) {
    semaphore->count = initialCount;
    semaphore->maximum = maximumCount;
    if (pthread_mutex_init(&semaphore->mutex, nullptr) != 0) return false;
    pthread_condattr_t attributes;
    bool ready = pthread_condattr_init(&attributes) == 0;
    ready = ready && pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC) == 0 &&
            pthread_cond_init(&semaphore->available, &attributes) == 0;
    pthread_condattr_destroy(&attributes);
    if (!ready) pthread_mutex_destroy(&semaphore->mutex);
    return ready;
}

timespec DeadlineAfter(unsigned int timeoutMs) {
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(timeoutMs / 1000u);
    deadline.tv_nsec += static_cast<long>(timeoutMs % 1000u) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return deadline;
}

// Called with the mutex held; waits until the count is positive or the time
// runs out.
int AwaitCount(Semaphore* semaphore, unsigned int timeoutMs) {
    if (timeoutMs == kInfiniteWait) {
        while (semaphore->count == 0) {
            if (pthread_cond_wait(&semaphore->available, &semaphore->mutex) != 0) {
                return kWaitFailed;
            }
        }
        return kWaitSignalled;
    }
    const timespec deadline = DeadlineAfter(timeoutMs);
    while (semaphore->count == 0) {
        const int rc = pthread_cond_timedwait(&semaphore->available, &semaphore->mutex, &deadline);
        if (rc == ETIMEDOUT) return semaphore->count > 0 ? kWaitSignalled : kWaitTimedOut;
        if (rc != 0) return kWaitFailed;
    }
    return kWaitSignalled;
}

}  // namespace

void* CreateSemaphore(long initialCount, long maximumCount) {
    if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) return nullptr;
    Semaphore* semaphore = new (std::nothrow) Semaphore;
    if (semaphore == nullptr) return nullptr;
    if (!InitSemaphore(semaphore, initialCount, maximumCount)) {
        delete semaphore;
        return nullptr;
    }
    return semaphore;
}

void CloseSemaphore(void* handle) {
    Semaphore* semaphore = static_cast<Semaphore*>(handle);
    if (semaphore == nullptr) return;
    pthread_cond_destroy(&semaphore->available);
    pthread_mutex_destroy(&semaphore->mutex);
    delete semaphore;
}

bool ReleaseSemaphore(void* handle, long count) {
    Semaphore* semaphore = static_cast<Semaphore*>(handle);
    if (semaphore == nullptr || count <= 0) return false;
    pthread_mutex_lock(&semaphore->mutex);
    const bool fits = count <= semaphore->maximum - semaphore->count;
    if (fits) semaphore->count += count;
    pthread_mutex_unlock(&semaphore->mutex);
    if (fits) {
        // One waiter per unit; a single unit wakes a single thread.
        if (count == 1) {
            pthread_cond_signal(&semaphore->available);
        } else {
            pthread_cond_broadcast(&semaphore->available);
        }
    }
    return fits;
}

int WaitSemaphore(void* handle, unsigned int timeoutMs) {
    Semaphore* semaphore = static_cast<Semaphore*>(handle);
    if (semaphore == nullptr) return kWaitFailed;
    pthread_mutex_lock(&semaphore->mutex);
    const int result = AwaitCount(semaphore, timeoutMs);
    if (result == kWaitSignalled) --semaphore->count;
    pthread_mutex_unlock(&semaphore->mutex);
    return result;
}

void ResetSemaphoreInChild(void* handle) {
    Semaphore* semaphore = static_cast<Semaphore*>(handle);
    if (semaphore == nullptr) return;
    // Waiters and the mutex holder were threads of the parent: build the
    // mutex and the condition afresh in place instead of handing anything on.
    InitSemaphore(semaphore, 0, semaphore->maximum);
}

}  // namespace platform
}  // namespace qm
