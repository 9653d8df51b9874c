// The name this machine goes by on the network.
#pragma once

#include <cstddef>

namespace qm {
namespace platform {

// Copies the host name, NUL-terminated, into buffer; false (and an empty
// buffer) when the system has none to give or it does not fit.
bool GetHostName(char* buffer, std::size_t size);

}  // namespace platform
}  // namespace qm
