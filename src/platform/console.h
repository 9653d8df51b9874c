// The process console: standard output here. Allocating and freeing it never
// closes the descriptor.
#pragma once

namespace qm {
namespace platform {

void AllocateConsole();
void FreeConsole();
// Null when there is no usable standard output.
void* GetConsoleOutputHandle();
// Whether writes to the handle can meet a reader that has gone (a pipe or a
// socket); decided once, when the console is acquired.
bool ConsoleIsPipe(void* handle);
// One write of up to length bytes; false on failure, else the count written
// in *written. With readerCanGo a broken pipe is a failed write and never a
// signal that ends the process.
bool WriteConsole(void* handle, const char* text, unsigned int length, bool readerCanGo, unsigned int* written);

}  // namespace platform
}  // namespace qm
