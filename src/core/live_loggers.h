// Every logger of the process between its construction and its destruction,
// for what must reach all of them: closing outputs at exit and holding their
// guards while the process forks.
#pragma once

class CQmErrLogCriticalSection;
class CQmLogger;

namespace qm {

// Lock order: the named-logger list's guard, then this list's lock, then the
// loggers' guards. A logger is added before its guards are first taken and
// removed after they were last given up, so no logger holds its guards while
// it waits for this lock.
void AddLiveLogger(CQmLogger* logger);
void RemoveLiveLogger(CQmLogger* logger);

// Runs visit on every live logger under the list's lock.
void ForEachLiveLogger(void (*visit)(CQmLogger& logger));

// The list's lock: fork() holds it while the process is copied (around the
// loggers' guards).
CQmErrLogCriticalSection& LiveLoggersLock();

}  // namespace qm
