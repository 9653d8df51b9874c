// A Win32 critical section living in storage that the caller owns; it is
// recursive by nature.
#include "platform/critical_section.h"

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {

static_assert(sizeof(CRITICAL_SECTION) <= kCriticalSectionBytes,
              "a critical section must fit the caller's storage");
static_assert(alignof(CRITICAL_SECTION) <= kCriticalSectionAlign,
              "the caller's storage is not aligned enough for a critical section");

namespace {

CRITICAL_SECTION* AsCriticalSection(void* storage) {
    return static_cast<CRITICAL_SECTION*>(storage);
}

// Locks are held for a few instructions around shared state: a short spin
// before sleeping saves a kernel round trip on multi-core machines.
constexpr DWORD kSpinCount = 1000;

}  // namespace

void InitCriticalSection(void* storage) {
    // Cannot fail since Windows Vista.
    ::InitializeCriticalSectionAndSpinCount(AsCriticalSection(storage), kSpinCount);
}

// The global functions are named explicitly: ours hide them in this namespace.
void DeleteCriticalSection(void* storage) {
    ::DeleteCriticalSection(AsCriticalSection(storage));
}

void EnterCriticalSection(void* storage) {
    ::EnterCriticalSection(AsCriticalSection(storage));
}

void LeaveCriticalSection(void* storage) {
    ::LeaveCriticalSection(AsCriticalSection(storage));
}

// Windows processes do not fork, so there is never a child to reset in.
void ResetCriticalSectionInChild(void*) {}

}  // namespace platform
}  // namespace qm
