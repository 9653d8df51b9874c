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

}  // namespace platform
}  // namespace qm
