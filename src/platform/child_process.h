// Child processes: started from a program file or forked, and waited for with
// a time limit, so that a caller (the library's tests above all) never waits
// for a hung child without end.
#pragma once

namespace qm {
namespace platform {

enum ChildOutcome {
    kChildCrashed = -1,
    kChildTimedOut = -2,
    kChildWaitFailed = -3
};

// The child's process id, or -1. Where processes cannot fork (Win32): -1.
// In the child: 0.
int ForkProcess();
// Runs path with arguments (a null-terminated list, may be null); the
// child's process id, or -1.
int StartProgram(const char* path, const char* const* arguments);
// The child's exit code (0-255), or a ChildOutcome. A child still running
// after timeoutMs is killed, reaped, and reported as kChildTimedOut.
int WaitChildProcess(int processId, unsigned int timeoutMs);

}  // namespace platform
}  // namespace qm
