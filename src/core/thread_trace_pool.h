// The process-wide pool of trace working copies (ThreadTraceData entries).
// Entries are handed out first-fit and given back when the thread that took
// one ends; they are never freed, so a thread's slot never points at a freed
// entry. The pool and its lock exist from the first use for the life of the
// process: GetThreadTraceData and the thread-exit hook work before any logger
// exists and while the last one goes away.
#pragma once

class CQmErrLogCriticalSection;
struct ThreadTraceData;

namespace qm {

// Thread-exit hook of every logger's slot: gives the entry back.
void ReturnThreadTraceData(void* entry);

// A thread slot whose exit hook gives the thread's entry back, for one
// logger. A released logger's slot is not freed but handed to the next
// logger: a thread still holding an entry through it then gives that entry
// back when it ends, and the next logger simply reuses the thread's entry.
// False when the platform has no slot left.
bool TakeTraceThreadSlot(unsigned long* slot);
void GiveBackTraceThreadSlot(unsigned long slot);
// At exit (which, for a shared library, is also its unloading): frees every
// slot, so no thread that ends later runs an exit hook whose code may be
// gone. No slot is handed out afterwards.
void FreeTraceThreadSlotsAtExit();

// Entries in the pool now (0 or a multiple of 30).
int ThreadTracePoolSize();
// Entries handed out and not given back.
int ThreadTraceEntriesInUse();

// The pool's lock: fork() holds it while the process is copied.
CQmErrLogCriticalSection& ThreadTracePoolLock();

}  // namespace qm
