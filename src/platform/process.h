// Process and thread ids.
#pragma once

namespace qm {
namespace platform {

int CurrentProcessId();
// Read once per thread and cached: a thread's id never changes.
unsigned int CurrentThreadId();

}  // namespace platform
}  // namespace qm
