// One member of a JSON-lines record, `"name":value`, with its value shown as
// the kind it was set as.
#pragma once

#include <cstddef>

#include "format/json_text.h"

class CQmErrLogMessage;

namespace qm {

// The most WriteJsonMember writes: the comma, both texts as strings (a bare
// number or truth value is never longer), the colon, and room for "null".
constexpr std::size_t JsonMemberRoom(std::size_t nameLength, std::size_t valueLength) {
    return 2 + JsonStringRoom(nameLength) + JsonStringRoom(valueLength) + 4;
}

// A value set as a number or a truth value stands bare only when its text is
// one; anything else (a double's "nan") stays a string.
bool ShowsBareInJson(const char* value, int valueKind);

// Writes the member at out, which has at least JsonMemberRoom bytes, after a
// comma unless it is the first; returns the end of what it wrote. Both texts
// end in a NUL, and the lengths are their strlen; an unset value
// (QM_VALUE_UNSET) is null, and its text and length are not read.
char* WriteJsonMember(char* out, bool first, const char* name, std::size_t nameLength, const char* value,
                      std::size_t valueLength, int valueKind);

// The same bytes appended, for texts of any length.
void AppendJsonMember(CQmErrLogMessage* out, bool first, const char* name, std::size_t nameLength,
                      const char* value, std::size_t valueLength, int valueKind);

}  // namespace qm
