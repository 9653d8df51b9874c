// The DLL's entry point: it does nothing when the library is loaded (the
// default logger and the named logger list are built on first use) and gives
// back the per-thread data of a thread that ends.
#include "platform/win32/thread_end.h"
#include "platform/win32/windows_api.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_THREAD_DETACH) qm::platform::RunThreadExitHooks();
    return TRUE;
}
