// Handlers run around fork(), so the library's locks can be taken before the
// process is copied and put back in a usable state in both processes.
#pragma once

namespace qm {
namespace platform {

typedef void (*ForkHandler)();

// Registers the three handlers once for the life of the process (a second
// call is ignored). prepare runs in the forking thread before the copy,
// parent and child after it in each process; the platform's own per-process
// caches (process id, thread ids) are reset in the child before child runs.
// Where processes cannot fork (Win32) this does nothing.
void InstallForkHandlers(ForkHandler prepare, ForkHandler parent, ForkHandler child);

// How many times this process's ancestry line forked into it: 0 in the
// process that started, raised in every child. Cheap (one relaxed load), so
// per-thread caches can notice they were copied from a parent.
unsigned int ForkGeneration();

}  // namespace platform
}  // namespace qm
