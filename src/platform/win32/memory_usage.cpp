// The memory benchmarks run on POSIX builds only: not read here.
#include "platform/memory_usage.h"

namespace qm {
namespace platform {

long long ResidentBytes() {
    return -1;
}

}  // namespace platform
}  // namespace qm
