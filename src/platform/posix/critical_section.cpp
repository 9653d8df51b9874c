// Recursive pthread mutex living in storage that the caller owns.
#include "platform/critical_section.h"

#include <pthread.h>

namespace qm {
namespace platform {

static_assert(sizeof(pthread_mutex_t) <= kCriticalSectionBytes,
              "a pthread mutex must fit the critical section storage");
static_assert(alignof(pthread_mutex_t) <= kCriticalSectionAlign,
              "the critical section storage is not aligned enough for a pthread mutex");

namespace {
pthread_mutex_t* AsMutex(void* storage) {
    return static_cast<pthread_mutex_t*>(storage);
}
}  // namespace

void InitCriticalSection(void* storage) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    // Recursive: the owning thread may enter again, as callers of the lock
    // classes expect.
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(AsMutex(storage), &attributes);
    pthread_mutexattr_destroy(&attributes);
}

void ResetCriticalSectionInChild(void* storage) {
    // The holder may have been a thread that does not exist here: start over
    // rather than unlock (an unlock would not even be ours to make).
    InitCriticalSection(storage);
}

void DeleteCriticalSection(void* storage) {
    pthread_mutex_destroy(AsMutex(storage));
}

void EnterCriticalSection(void* storage) {
    pthread_mutex_lock(AsMutex(storage));
}

void LeaveCriticalSection(void* storage) {
    pthread_mutex_unlock(AsMutex(storage));
}

}  // namespace platform
}  // namespace qm
