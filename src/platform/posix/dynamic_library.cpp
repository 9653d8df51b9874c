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
    return dlsym(library, name);
}

void FreeLibraryHandle(void* library) {
    if (library != nullptr) dlclose(library);
}

}  // namespace platform
}  // namespace qm
