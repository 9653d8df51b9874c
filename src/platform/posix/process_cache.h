// The cached process id, shared between process.cpp and the fork handlers.
#pragma once

namespace qm {
namespace platform {

// Makes the next CurrentProcessId read the id from the system again.
void ForgetCachedProcessId();

}  // namespace platform
}  // namespace qm
