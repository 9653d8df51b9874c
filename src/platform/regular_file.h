// Reading a small file whole, refusing anything that is not a regular file:
// a configuration path that names a FIFO, a device or a socket would block
// its reader or never end, and a file of any size would hold the caller for
// as long as it takes to read it.
#pragma once

#include <cstddef>
#include <string>

namespace qm {
namespace platform {

enum class ReadFileResult {
    kRead,
    kCannotOpen,      // errno says why
    kNotRegularFile,  // a directory, FIFO, device or socket
    kTooLarge,        // more than the limit; nothing is kept
    kReadFailed       // errno says why
};

// Replaces *contents by the whole file at path. Opening never waits for a
// writer or a device, and no more than limit + 1 bytes are ever read.
ReadFileResult ReadRegularFile(const char* path, std::size_t limit, std::string* contents);

}  // namespace platform
}  // namespace qm
