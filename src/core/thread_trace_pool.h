// The process-wide pool of trace working copies (ThreadTraceData entries).
// Entries are handed out first-fit, never freed one by one, and destroyed with
// the pool. The pool and its lock live from the first logger's Init to the
// last logger's Release, so several loggers can come and go safely.
#pragma once

struct ThreadTraceData;

namespace qm {

// Called by every logger's Init / Release; the first creates the lock, the
// last destroys every entry and the lock.
void AttachThreadTracePoolUser();
void DetachThreadTracePoolUser();

// Thread-exit hook of the default logger's slot: gives the entry back.
void ReturnThreadTraceData(void* entry);

// Entries in the pool now (0 or a multiple of 30).
int ThreadTracePoolSize();

}  // namespace qm
