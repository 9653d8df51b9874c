// JSON texts for the JSON-lines trace layout.
#pragma once

#include <cstddef>

class CQmErrLogMessage;

namespace qm {

// The room WriteJsonString needs for a text of length bytes: a byte may grow
// to six (\u001f), plus the two quotes and the eight bytes that a word copy
// may write past the end (and that the closing quote or what follows writes over).
constexpr std::size_t JsonStringRoom(std::size_t length) {
    return 6 * length + 10;
}

// Writes text as a JSON string with its quotes at out, which has at least
// JsonStringRoom(length) bytes, and returns the end of what it wrote. Quote,
// backslash and control characters are escaped, and each byte that starts no
// well-formed UTF-8 sequence is replaced by U+FFFD.
char* WriteJsonString(char* out, const char* text, std::size_t length);

// The same bytes appended, for a text of any length.
void AppendJsonString(CQmErrLogMessage* out, const char* text, std::size_t length);

// True when text is a JSON number as it stands ("12", "-0.5", "1e9"); "inf",
// "nan" and "" are not.
bool IsJsonNumber(const char* text);

}  // namespace qm
