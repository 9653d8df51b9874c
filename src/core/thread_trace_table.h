// Which pool entry a thread uses for which logger. Every logger takes a small
// index; each thread keeps the entries it took in a table of its own, by
// index, reached through one platform thread slot for the whole library. So
// the count of loggers is bounded by memory, not by the platform's slots
// (a process has about a thousand, shared with the rest of the host).
#pragma once

struct ThreadTraceData;

namespace qm {

// A logger's index. A released logger's index is handed to the next logger:
// a thread still holding an entry through it keeps that entry (and gives it
// back when it ends), and the next logger simply reuses the thread's entry.
// False only when no memory is left.
bool TakeTraceThreadIndex(unsigned long* index);
// Never allocates, never fails: room for every index given back was made
// when it was taken.
void GiveBackTraceThreadIndex(unsigned long index);

// The calling thread's entry for a logger's index, taken from the pool on
// the thread's first need. Null when it cannot be had: no memory for the
// entry or a larger table, no platform slot, or the process is exiting.
ThreadTraceData* ThreadTraceEntry(unsigned long index);

// At exit (which, for a shared library, is also its unloading): frees the
// platform slot, so no thread that ends later runs an exit hook whose code
// may be gone. No entry is handed out through a table afterwards.
void FreeTraceThreadSlotAtExit();

}  // namespace qm
