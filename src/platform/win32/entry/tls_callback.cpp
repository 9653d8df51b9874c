// Thread-end notification for programs that link the static archive and so
// have no DllMain of ours: a TLS callback, which the loader calls with the
// same reasons as a DLL entry point, for the program's own image.
#include "platform/win32/thread_end.h"
#include "platform/win32/windows_api.h"

namespace {

void NTAPI OnThreadNotification(PVOID, DWORD reason, PVOID) {
    if (reason == DLL_THREAD_DETACH) qm::platform::RunThreadExitHooks();
}

}  // namespace

// The loader walks the pointers placed between the runtime's .CRT$XLA and
// .CRT$XLZ markers. The name is C so that the build can keep this object in
// every link of the archive (nothing else refers to it).
extern "C" {
extern const PIMAGE_TLS_CALLBACK qm_thread_end_tls_callback;  // external, though const
__attribute__((used, section(".CRT$XLB"))) const PIMAGE_TLS_CALLBACK qm_thread_end_tls_callback =
    OnThreadNotification;
}
