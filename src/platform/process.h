// Process and thread ids.
#pragma once

namespace qm {
namespace platform {

// Both cached; a forked child reads its own ids again (see fork_hook.h).
int CurrentProcessId();
unsigned int CurrentThreadId();

}  // namespace platform
}  // namespace qm
