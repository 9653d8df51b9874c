// Storage for the per-thread caches of the formatting code (plain data only).
//
// On Windows the compiler's thread_local goes through emulated TLS, which
// registers a per-thread destructor inside this DLL: a thread ending after
// the DLL was unloaded would call into unmapped code. There the caches are
// plain locals instead, built afresh on every call; the cached form is a
// speed-up only, never a change in the text.
#pragma once

#if defined(_WIN32)
#define QM_THREAD_CACHE
#else
#define QM_THREAD_CACHE thread_local
#endif
