// Thread-local slots on pthread keys; the exit hook is the key's destructor,
// which the thread library calls only for non-null values.
#include "platform/thread_slot.h"

#include <pthread.h>

namespace qm {
namespace platform {

static_assert(sizeof(pthread_key_t) <= sizeof(unsigned long), "a pthread key must fit a slot index");

namespace {
pthread_key_t AsKey(unsigned long slot) {
    return static_cast<pthread_key_t>(slot);
}
}  // namespace

bool AllocThreadSlot(unsigned long* slot, ThreadExitHook onThreadExit) {
    if (slot == nullptr) return false;
    pthread_key_t key;
    if (pthread_key_create(&key, onThreadExit) != 0) return false;
    *slot = static_cast<unsigned long>(key);
    return true;
}

void FreeThreadSlot(unsigned long slot) {
    pthread_key_delete(AsKey(slot));
}

void* GetThreadSlotValue(unsigned long slot) {
    return pthread_getspecific(AsKey(slot));
}

void SetThreadSlotValue(unsigned long slot, void* value) {
    pthread_setspecific(AsKey(slot), value);
}

}  // namespace platform
}  // namespace qm
