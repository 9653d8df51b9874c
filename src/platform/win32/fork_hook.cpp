// Windows processes do not fork: nothing to register, and no generation ever
// changes.
#include "platform/fork_hook.h"

namespace qm {
namespace platform {

void InstallForkHandlers(ForkHandler, ForkHandler, ForkHandler) {}

unsigned int ForkGeneration() {
    return 0;
}

}  // namespace platform
}  // namespace qm
