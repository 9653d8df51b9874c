// Children by fork or posix_spawn, reaped with waitpid polled against a
// deadline (waitpid itself has no time limit).
#include "platform/child_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <vector>

#include "platform/clock.h"

extern char** environ;

namespace qm {
namespace platform {

namespace {

int OutcomeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return kChildCrashed;
}

}  // namespace

int ForkProcess() {
    return static_cast<int>(fork());
}

int StartProgram(const char* path, const char* const* arguments) {
    if (path == nullptr) return -1;
    std::vector<char*> argv{const_cast<char*>(path)};
    for (const char* const* argument = arguments; argument != nullptr && *argument != nullptr; ++argument) {
        argv.push_back(const_cast<char*>(*argument));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, path, nullptr, nullptr, argv.data(), environ) != 0) return -1;
    return static_cast<int>(child);
}

int WaitChildProcess(int processId, unsigned int timeoutMs) {
    if (processId <= 0) return kChildWaitFailed;
    const long long deadline = MonotonicMilliseconds() + timeoutMs;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(static_cast<pid_t>(processId), &status, WNOHANG);
        if (done == processId) return OutcomeOf(status);
        if (done < 0) return kChildWaitFailed;
        if (MonotonicMilliseconds() >= deadline) break;
        const timespec pause{0, 2 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    kill(static_cast<pid_t>(processId), SIGKILL);
    int status = 0;
    waitpid(static_cast<pid_t>(processId), &status, 0);
    return kChildTimedOut;
}

}  // namespace platform
}  // namespace qm
