// <windows.h> for the Win32 platform layer, with the macros that would
// rename our own platform functions (CreateSemaphore, WriteConsole,
// GetCurrentTime) taken back out. Include it after the platform header.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CreateSemaphore
#undef WriteConsole
#undef GetCurrentTime
