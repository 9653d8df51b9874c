// printf for the formats most trace texts use ("request %d from %s"), without
// the C library's formatter: integers, texts, characters and "%%", with at
// most the "-" flag and a written width. Anything else is left to vsnprintf,
// so the bytes are always exactly the C library's.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace qm {

// Formats into out (size bytes) and returns the length written, terminator
// excluded, when every conversion of format is one of the plain ones and the
// whole text fits; else -1, and out and args are then of no further use (the
// caller formats again from its own copy of the arguments).
int FormatPlainPrintf(char* out, std::size_t size, const char* format, std::va_list args);

}  // namespace qm
