// How much memory the process holds, for benchmarks that watch growth.
#pragma once

namespace qm {
namespace platform {

// Resident set size in bytes, or -1 where it cannot be read.
long long ResidentBytes();

}  // namespace platform
}  // namespace qm
