// The thread-end notification of the Win32 platform layer. Windows has no
// per-slot destructor, so the module's entry calls this when a thread ends:
// DllMain (DLL_THREAD_DETACH) in the DLL, a TLS callback in the static
// archive. Only one of the two is linked into a module.
#pragma once

namespace qm {
namespace platform {

// Runs the exit hook of every slot that has a non-null value in the calling
// thread, clearing the value first.
void RunThreadExitHooks();

}  // namespace platform
}  // namespace qm
