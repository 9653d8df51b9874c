// Component libraries by bare name: "name" is loaded as "name.dll" through
// the loader's standard search (the program's directory, the system
// directories, the current directory, PATH).
#include "platform/dynamic_library.h"

#include <string>

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {

void* LoadLibraryByName(const char* bareName) {
    if (bareName == nullptr || *bareName == '\0') return nullptr;
    // The suffix is ours, not the loader's: the loader adds ".dll" only when
    // the name has no dot of its own.
    const std::string fileName = std::string(bareName) + ".dll";
    // A library that is missing, broken or lacks a dependency must not stop
    // the host with an error box: the caller sees only the null result.
    DWORD previousMode = 0;
    const BOOL quiet = ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    HMODULE library = ::LoadLibraryA(fileName.c_str());
    if (quiet) ::SetThreadErrorMode(previousMode, nullptr);
    return library;
}

void* FindLibrarySymbol(void* library, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    // GetProcAddress reads this module's export table alone, never those of
    // the DLLs it imports from. Only an export forwarded to another DLL can
    // lead elsewhere, and that is no entry of this library either.
    FARPROC symbol = ::GetProcAddress(static_cast<HMODULE>(library), name);
    if (symbol == nullptr) return nullptr;
    HMODULE owner = nullptr;
    if (!::GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(symbol), &owner) ||
        owner != static_cast<HMODULE>(library)) {
        return nullptr;
    }
    return reinterpret_cast<void*>(symbol);
}

void FreeLibraryHandle(void* library) {
    if (library != nullptr) ::FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace platform
}  // namespace qm
