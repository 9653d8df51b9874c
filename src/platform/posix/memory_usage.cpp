// Resident pages from /proc/self/statm (Linux); elsewhere not read.
#include "platform/memory_usage.h"

#include <unistd.h>

#include <cstdio>

namespace qm {
namespace platform {

long long ResidentBytes() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) return -1;
    long long totalPages = 0;
    long long residentPages = 0;
    const int read = std::fscanf(statm, "%lld %lld", &totalPages, &residentPages);
    std::fclose(statm);
    if (read != 2) return -1;
    return residentPages * static_cast<long long>(sysconf(_SC_PAGESIZE));
}

}  // namespace platform
}  // namespace qm
