// Thread-local slots on TLS indexes. The exit hooks live in a small table of
// (slot, hook) pairs that RunThreadExitHooks walks when a thread ends.
#include "platform/thread_slot.h"

#include "platform/win32/thread_end.h"
#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {
namespace {

struct ExitHookEntry {
    DWORD slot;
    ThreadExitHook hook;  // null: the row is free
};

// Only slots with a hook take a row (the library takes one), so a fixed
// table is plenty; it keeps thread end free of allocation.
constexpr int kMaxHookedSlots = 64;

// Hooks run under the shared side, so a slot freed under the exclusive side
// never sees its hook run afterwards (the hook's data may go with the slot).
// Hence a hook must not allocate or free slots itself.
// Statically initialised: usable before and after any constructor runs.
SRWLOCK g_hooksLock = SRWLOCK_INIT;
ExitHookEntry g_hooks[kMaxHookedSlots] = {};

// As with POSIX thread keys, a hook may store a new value; a few more
// passes give it back too, without looping for ever.
constexpr int kMaxPasses = 4;

bool AddHook(DWORD slot, ThreadExitHook hook) {
    ::AcquireSRWLockExclusive(&g_hooksLock);
    bool added = false;
    for (ExitHookEntry& entry : g_hooks) {
        if (entry.hook == nullptr) {
            entry.slot = slot;
            entry.hook = hook;
            added = true;
            break;
        }
    }
    ::ReleaseSRWLockExclusive(&g_hooksLock);
    return added;
}

void RemoveHook(DWORD slot) {
    ::AcquireSRWLockExclusive(&g_hooksLock);
    for (ExitHookEntry& entry : g_hooks) {
        if (entry.hook != nullptr && entry.slot == slot) entry.hook = nullptr;
    }
    ::ReleaseSRWLockExclusive(&g_hooksLock);
}

}  // namespace

bool AllocThreadSlot(unsigned long* slot, ThreadExitHook onThreadExit) {
    if (slot == nullptr) return false;
    const DWORD index = ::TlsAlloc();
    if (index == TLS_OUT_OF_INDEXES) return false;
    if (onThreadExit != nullptr && !AddHook(index, onThreadExit)) {
        // A slot whose values would leak at thread end is no slot at all.
        ::TlsFree(index);
        return false;
    }
    *slot = index;
    return true;
}

void FreeThreadSlot(unsigned long slot) {
    RemoveHook(static_cast<DWORD>(slot));
    // TlsFree clears the slot's value in every thread.
    ::TlsFree(static_cast<DWORD>(slot));
}

void* GetThreadSlotValue(unsigned long slot) {
    return ::TlsGetValue(static_cast<DWORD>(slot));
}

void SetThreadSlotValue(unsigned long slot, void* value) {
    ::TlsSetValue(static_cast<DWORD>(slot), value);
}

void RunThreadExitHooks() {
    // The thread's last error belongs to whoever ends the thread.
    const DWORD lastError = ::GetLastError();
    ::AcquireSRWLockShared(&g_hooksLock);
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        bool ranAny = false;
        for (const ExitHookEntry& entry : g_hooks) {
            if (entry.hook == nullptr) continue;
            void* value = ::TlsGetValue(entry.slot);
            if (value == nullptr) continue;
            ::TlsSetValue(entry.slot, nullptr);
            entry.hook(value);
            ranAny = true;
        }
        if (!ranAny) break;
    }
    ::ReleaseSRWLockShared(&g_hooksLock);
    ::SetLastError(lastError);
}

}  // namespace platform
}  // namespace qm
