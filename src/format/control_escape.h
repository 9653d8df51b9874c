// Control characters of a caller's text made visible, so that a text given as
// an argument can never end a record early or start a forged one (a line
// feed), rewrite the line on a terminal (a carriage return, an escape
// sequence) or hide what follows.
#pragma once

#include <cstddef>
#include <string>

#include "format/format_area.h"
#include "qmerrlog/message_text.h"

namespace qm {

// Appends text (length bytes) to out with every byte below 0x20 and 0x7F
// written as an escape: \n, \r, \t, else \x and two lower-case hex digits
// (\x1b). Other bytes, backslashes and UTF-8 sequences included, pass
// unchanged. out never grows past limit bytes, and an escape is never cut.
void AppendEscaped(std::string* out, const char* text, std::size_t length, std::size_t limit);
// The same for a message's text and a stack area.
void AppendEscaped(QmMessageText* out, const char* text, std::size_t length, std::size_t limit);
void AppendEscaped(FormatArea* out, const char* text, std::size_t length, std::size_t limit);

// Whether text holds a byte AppendEscaped would escape.
bool HasControlCharacter(const char* text, std::size_t length);

}  // namespace qm
