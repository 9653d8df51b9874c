#include "platform/host_name.h"

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {

bool GetHostName(char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) return false;
    buffer[0] = '\0';
    char name[256] = {};
    DWORD length = sizeof name;
    if (!::GetComputerNameExA(ComputerNameDnsHostname, name, &length) || length == 0 || length >= size) {
        return false;
    }
    for (DWORD i = 0; i <= length; ++i) buffer[i] = name[i];
    return true;
}

}  // namespace platform
}  // namespace qm
