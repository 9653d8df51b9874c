// Loading component libraries by bare name ("qmcomponent01" -> libqmcomponent01.so
// or qmcomponent01.dll) through the platform loader's search path.
#pragma once

namespace qm {
namespace platform {

void* LoadLibraryByName(const char* bareName);  // null when it does not load
// A symbol the library itself defines; null for one that only a library it
// depends on defines (the POSIX loader would search those too).
void* FindLibrarySymbol(void* library, const char* name);
void FreeLibraryHandle(void* library);

}  // namespace platform
}  // namespace qm
