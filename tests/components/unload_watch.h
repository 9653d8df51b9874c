// Lets a test see a component library leave the process: the flag handed to
// QmTestWatchUnload is set when the library's statics are destroyed, which
// happens only when its last reference is freed.
#pragma once

#define QM_TEST_EXPORT __attribute__((visibility("default")))

extern "C" QM_TEST_EXPORT void QmTestWatchUnload(int* flag);

typedef void (*QmTestWatchUnloadFunction)(int* flag);
