// JSON texts for the JSON-lines trace layout: strings, and the members of a
// record, `"name":value`, each value shown as the kind it was set as.
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

// A value set as a number or a truth value stands bare only when its text is
// one; anything else (a double's "nan") stays a string.
bool ShowsBareInJson(const char* value, int valueKind);

// Writes a member's value as the kind it was set as (QmTraceValueKind) at out,
// which has at least JsonStringRoom(valueLength) bytes; returns the end of
// what it wrote. The value ends in a NUL and valueLength is its strlen; an
// unset value is null, and its text and length are not read.
char* WriteJsonValue(char* out, const char* value, std::size_t valueLength, int valueKind);

// The same bytes appended, for a value of any length.
void AppendJsonValue(CQmErrLogMessage* out, const char* value, std::size_t valueLength, int valueKind);

// The most WriteJsonMember writes: the comma and colon, the name as a string
// and the value.
constexpr std::size_t JsonMemberRoom(std::size_t nameLength, std::size_t valueLength) {
    return 2 + JsonStringRoom(nameLength) + JsonStringRoom(valueLength);
}

// Writes `"name":value` at out, which has at least JsonMemberRoom bytes, after
// a comma unless it is the first; returns the end of what it wrote. The name,
// like the value, ends in a NUL.
char* WriteJsonMember(char* out, bool first, const char* name, std::size_t nameLength, const char* value,
                      std::size_t valueLength, int valueKind);

// The same bytes appended, for texts of any length.
void AppendJsonMember(CQmErrLogMessage* out, bool first, const char* name, std::size_t nameLength,
                      const char* value, std::size_t valueLength, int valueKind);

// True when text is a JSON number as it stands ("12", "-0.5", "1e9"); "inf",
// "nan" and "" are not.
bool IsJsonNumber(const char* text);

}  // namespace qm
