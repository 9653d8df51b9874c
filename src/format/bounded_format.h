// printf-style formatting into a fixed area, the one rule every variable-argument
// text of the library follows (audit text, catalogue text, trace text).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace qm {

// Size of the area; at most kFormatAreaSize - 1 bytes of text are kept.
constexpr std::size_t kFormatAreaSize = 4096;

// Formats args into area (kFormatAreaSize bytes) and returns the length kept;
// the area is always NUL-terminated. A longer result is cut at 4095 bytes; any
// other formatting error (an unconvertible wide character, say) leaves it
// empty. A null format gives an empty text.
std::size_t FormatBounded(char* area, const char* format, std::va_list args);

// The same, appended to text through a stack area: the only allocation is the
// text's own growth.
void AppendBounded(std::string* text, const char* format, std::va_list args);

}  // namespace qm
