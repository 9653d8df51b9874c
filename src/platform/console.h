// The process console: standard output here. Allocating and freeing it never
// closes the descriptor.
#pragma once

namespace qm {
namespace platform {

void AllocateConsole();
void FreeConsole();
// Null when there is no usable standard output.
void* GetConsoleOutputHandle();
// Writes length bytes; false on failure, else the count written in *written.
bool WriteConsole(void* handle, const char* text, unsigned int length, unsigned int* written);

}  // namespace platform
}  // namespace qm
