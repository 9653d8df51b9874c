// The caller's error state (errno, and on Windows the thread's last error)
// kept across a call into the library: a log call sits in error paths, and a
// caller that logs a failure and then reads errno must read its own error.
#pragma once

namespace qm {
namespace platform {

class CallerErrorState {
public:
    CallerErrorState();
    ~CallerErrorState();
    CallerErrorState(const CallerErrorState&) = delete;
    CallerErrorState& operator=(const CallerErrorState&) = delete;

    // Puts the caller's error back now, e.g. just before a format that
    // prints it ("%m").
    void Restore() const;

private:
    int m_iErrno;
    unsigned long m_ulLastError;
};

}  // namespace platform
}  // namespace qm
