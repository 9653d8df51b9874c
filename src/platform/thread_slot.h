// Thread-local slots: one pointer per thread per slot.
#pragma once

namespace qm {
namespace platform {

typedef void (*ThreadExitHook)(void* value);

// Allocates a slot; onThreadExit (may be null) runs on a thread's end when
// its value in the slot is not null. False when no slot is left.
bool AllocThreadSlot(unsigned long* slot, ThreadExitHook onThreadExit);
void FreeThreadSlot(unsigned long slot);
void* GetThreadSlotValue(unsigned long slot);
void SetThreadSlotValue(unsigned long slot, void* value);

}  // namespace platform
}  // namespace qm
