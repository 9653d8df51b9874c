#include "core/trace_generation.h"

#include <atomic>

namespace qm {

long long NextTraceGeneration() {
    static std::atomic<long long> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

}  // namespace qm
