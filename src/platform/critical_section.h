// Recursive critical section in caller-provided storage (Win32 style), so that
// objects can embed one without naming any OS type.
#pragma once

#include <cstddef>

namespace qm {
namespace platform {

constexpr std::size_t kCriticalSectionBytes = 64;
constexpr std::size_t kCriticalSectionAlign = 16;

// storage: at least kCriticalSectionBytes, aligned to kCriticalSectionAlign.
void InitCriticalSection(void* storage);
void DeleteCriticalSection(void* storage);
void EnterCriticalSection(void* storage);
void LeaveCriticalSection(void* storage);
// In a forked child only: makes a section that a thread of the parent may
// have held (and that no thread of the child can release) free again.
void ResetCriticalSectionInChild(void* storage);

}  // namespace platform
}  // namespace qm
