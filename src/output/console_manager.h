// The one console of the process, shared by every console output of every
// logger: acquired by the first output that opens, released by the last one
// that closes.
#pragma once

#include "qmerrlog/locks.h"

namespace qm {

class CQmConsoleManager {
public:
    // Created on first use, exactly once even when threads race, and never
    // destroyed: console outputs of static loggers close during exit.
    static CQmConsoleManager& Instance();

    // The console's output handle, counted; null (and not counted) when the
    // process has no usable console.
    void* AcquireConsole();
    // Once per non-null AcquireConsole; the last release frees the console.
    void ReleaseConsole();
    // How many outputs hold the console now.
    int ReferenceCount();
    // Writes one whole record: records of all threads and all console
    // outputs go out one after the other, and a write that takes only part
    // of a record is continued. False when the console refuses the rest (a
    // closed pipe, a full disk); the next record then starts on a line of
    // its own.
    bool WriteRecord(const char* text, unsigned int length);

    virtual ~CQmConsoleManager() = default;

private:
    CQmConsoleManager() = default;
    CQmConsoleManager(const CQmConsoleManager&) = delete;
    CQmConsoleManager& operator=(const CQmConsoleManager&) = delete;

    // Lock order: taken after the logger's guard, never before it.
    CQmErrLogCS m_consoleLock;
    int m_iConsoleRefCount = 0;
    void* m_hConsole = nullptr;
    bool m_bReaderCanGo = false;     // standard output is a pipe or a socket
    bool m_bRecordCutShort = false;  // the last record stopped mid-line
};

}  // namespace qm
