// Component libraries by bare name: "name" is loaded as "libname.so" through
// the loader's own search path (LD_LIBRARY_PATH, rpath, system directories).
#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <string>

namespace qm {
namespace platform {

void* LoadLibraryByName(const char* bareName) {
    if (bareName == nullptr || *bareName == '\0') return nullptr;
    const std::string fileName = std::string("lib") + bareName + ".so";
    // RTLD_LOCAL: components export the same entry name, so their symbols
    // must not leak into each other.
    return dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindLibrarySymbol(void* library, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    void* symbol = dlsym(library, name);
    if (symbol == nullptr) return nullptr;
    // dlsym on a handle searches the library's dependencies too: a component
    // that links qmerrlog and lacks its own GetComponentPtr would hand us the
    // library's. Only a symbol the library itself defines counts.
    Dl_info owner;
    if (dladdr(symbol, &owner) == 0 || owner.dli_fname == nullptr) return nullptr;
    // The loader hands out one handle per loaded object: asking for the
    // owner's (without loading anything) tells whether it is this library.
    void* ownerHandle = dlopen(owner.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (ownerHandle != nullptr) dlclose(ownerHandle);
    return ownerHandle == library ? symbol : nullptr;
}

void FreeLibraryHandle(void* library) {
    if (library != nullptr) dlclose(library);
}

}  // namespace platform
}  // namespace qm
