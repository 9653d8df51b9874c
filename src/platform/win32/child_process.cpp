// Children by CreateProcess; Windows has no fork.
#include "platform/child_process.h"

#include <map>
#include <mutex>
#include <string>

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {

namespace {

// Process handles kept from start to wait: a child that ends before it is
// waited for would otherwise take its exit code with it.
std::mutex g_childrenLock;
std::map<int, HANDLE> g_children;

HANDLE TakeChild(int processId) {
    std::lock_guard<std::mutex> hold(g_childrenLock);
    auto found = g_children.find(processId);
    if (found == g_children.end()) return nullptr;
    HANDLE process = found->second;
    g_children.erase(found);
    return process;
}

}  // namespace

int ForkProcess() {
    return -1;
}

int StartProgram(const char* path, const char* const* arguments) {
    if (path == nullptr) return -1;
    // Plain quoting: the library's own callers pass no quotes or backslashes
    // at an argument's end.
    std::string commandLine = std::string("\"") + path + "\"";
    for (const char* const* argument = arguments; argument != nullptr && *argument != nullptr; ++argument) {
        commandLine += std::string(" \"") + *argument + "\"";
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(path, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        return -1;
    }
    ::CloseHandle(process.hThread);
    std::lock_guard<std::mutex> hold(g_childrenLock);
    g_children[static_cast<int>(process.dwProcessId)] = process.hProcess;
    return static_cast<int>(process.dwProcessId);
}

int WaitChildProcess(int processId, unsigned int timeoutMs) {
    HANDLE process = TakeChild(processId);
    if (process == nullptr) return kChildWaitFailed;
    int outcome = kChildWaitFailed;
    const DWORD waited = ::WaitForSingleObject(process, timeoutMs);
    if (waited == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (::GetExitCodeProcess(process, &code)) {
            // Exception codes (0xC...) are how a crashed process ends.
            outcome = code > 255 ? kChildCrashed : static_cast<int>(code);
        }
    } else if (waited == WAIT_TIMEOUT) {
        ::TerminateProcess(process, 1);
        ::WaitForSingleObject(process, INFINITE);
        outcome = kChildTimedOut;
    }
    ::CloseHandle(process);
    return outcome;
}

}  // namespace platform
}  // namespace qm
