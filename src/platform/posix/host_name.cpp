#include "platform/host_name.h"

#include <unistd.h>

#include <cstring>

namespace qm {
namespace platform {

bool GetHostName(char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) return false;
    buffer[0] = '\0';
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return false;
    const std::size_t length = std::strlen(name);
    if (length == 0 || length >= size) return false;
    std::memcpy(buffer, name, length + 1);
    return true;
}

}  // namespace platform
}  // namespace qm
