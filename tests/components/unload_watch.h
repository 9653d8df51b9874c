// Lets a test see a component library leave the process: the flag handed to
// QmTestWatchUnload is set when the library's statics are destroyed, which
// happens only when its last reference is freed.
#pragma once

#include "qmerrlog/export.h"

// Exported the way the library exports its API (dllexport in the components).
#define QM_TEST_EXPORT QMERRLOG_API

extern "C" QM_TEST_EXPORT void QmTestWatchUnload(int* flag);

typedef void (*QmTestWatchUnloadFunction)(int* flag);
