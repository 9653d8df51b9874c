// The process-wide pool of trace working copies (ThreadTraceData entries).
// Entries are handed out first-fit and given back when the thread that took
// one ends; they are never freed, so a thread's table never points at a
// freed entry. The pool and its lock exist from the first use for the life of
// the process: GetThreadTraceData and the thread-exit hook work before any
// logger exists and while the last one goes away.
#pragma once

class CQmErrLogCriticalSection;
struct ThreadTraceData;

namespace qm {

// Gives one entry back (null: nothing to give).
void ReturnThreadTraceData(ThreadTraceData* entry);

// Entries in the pool now (0 or a multiple of 30).
int ThreadTracePoolSize();
// Entries handed out and not given back.
int ThreadTraceEntriesInUse();

// The pool's lock: fork() holds it while the process is copied. Entries are
// marked free under it.
CQmErrLogCriticalSection& ThreadTracePoolLock();

}  // namespace qm
