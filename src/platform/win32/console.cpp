// The process console. A process that already has one keeps it and never
// loses it to us: only a console that this layer allocated is freed again.
// Standard output may also be a file or a pipe (a service, a redirected
// program); lines then go there as plain writes.
#include "platform/console.h"

#include <atomic>

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {
namespace {

// Callers serialise allocation and freeing; the flag is atomic only so that
// a stray call from elsewhere cannot tear it.
std::atomic<bool> g_consoleAllocatedHere{false};

}  // namespace

void AllocateConsole() {
    if (::AllocConsole()) g_consoleAllocatedHere.store(true);
}

void FreeConsole() {
    if (g_consoleAllocatedHere.exchange(false)) ::FreeConsole();
}

void* GetConsoleOutputHandle() {
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) return nullptr;
    return output;
}

// Windows has no SIGPIPE: a pipe whose reader has gone only fails the write.
bool ConsoleIsPipe(void*) {
    return false;
}

bool WriteConsole(void* handle, const char* text, unsigned int length, bool, unsigned int* written) {
    if (handle == nullptr || (text == nullptr && length != 0)) return false;
    DWORD count = 0;
    if (length != 0) {
        DWORD mode = 0;
        // WriteConsoleA refuses handles that are not a console; WriteFile on a
        // console would bypass its code page handling.
        const BOOL done = ::GetConsoleMode(handle, &mode) ? ::WriteConsoleA(handle, text, length, &count, nullptr)
                                                          : ::WriteFile(handle, text, length, &count, nullptr);
        if (!done) return false;
    }
    if (written != nullptr) *written = static_cast<unsigned int>(count);
    return true;
}

}  // namespace platform
}  // namespace qm
