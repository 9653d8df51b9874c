// The console of a POSIX process is its standard output: there is nothing to
// allocate or free, and the descriptor is never closed here.
#include "platform/console.h"

#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <unistd.h>

#include "platform/posix/broken_pipe.h"

namespace qm {
namespace platform {
namespace {

// Handles are descriptor + 1, so that null stays "no console".
void* HandleFromDescriptor(int descriptor) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(descriptor) + 1);
}

int DescriptorFromHandle(void* handle) {
    return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1);
}

}  // namespace

void AllocateConsole() {}

void FreeConsole() {}

void* GetConsoleOutputHandle() {
    if (fcntl(STDOUT_FILENO, F_GETFD) == -1) return nullptr;
    return HandleFromDescriptor(STDOUT_FILENO);
}

bool ConsoleIsPipe(void* handle) {
    return handle != nullptr && IsPipeOrSocket(DescriptorFromHandle(handle));
}

bool WriteConsole(void* handle, const char* text, unsigned int length, bool readerCanGo, unsigned int* written) {
    if (handle == nullptr) return false;
    const int descriptor = DescriptorFromHandle(handle);
    ssize_t result;
    if (readerCanGo) {
        result = WriteWithoutBrokenPipeSignal(descriptor, text, length);
    } else {
        do {
            result = write(descriptor, text, length);
        } while (result < 0 && errno == EINTR);
    }
    if (result < 0) return false;
    if (written != nullptr) *written = static_cast<unsigned int>(result);
    return true;
}

}  // namespace platform
}  // namespace qm
