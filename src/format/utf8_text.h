// Well-formed UTF-8: what collectors and JSON parsers accept. Texts reach us
// as bytes in whatever encoding the caller had; anything that is not UTF-8
// is replaced rather than passed on to break a reader downstream.
#pragma once

#include <cstddef>
#include <string>

namespace qm {

// U+FFFD REPLACEMENT CHARACTER, encoded.
constexpr const char kReplacementCharacter[] = "\xEF\xBF\xBD";

// Length (1 to 4) of the well-formed sequence at text, or 0 when the bytes
// there do not start one (stray continuation, overlong form, surrogate, code
// point above U+10FFFF, or a sequence cut short by the end).
std::size_t Utf8SequenceLength(const char* text, std::size_t left);

// The offset of the first byte from `at` on that starts no well-formed
// sequence, or length when there is none.
std::size_t EndOfWellFormedRun(const char* text, std::size_t at, std::size_t length);

// Appends text, each byte that starts no well-formed sequence replaced by
// U+FFFD.
void AppendRepairedUtf8(std::string* out, const char* text, std::size_t length);

}  // namespace qm
