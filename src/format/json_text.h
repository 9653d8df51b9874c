// JSON texts for the JSON-lines trace layout.
#pragma once

#include <cstddef>
#include "qmerrlog/message_text.h"

namespace qm {

// Appends text as a JSON string with its quotes: quote, backslash and control
// characters escaped, bytes that are not UTF-8 replaced by U+FFFD.
void AppendJsonString(QmMessageText* out, const char* text, std::size_t length);

// True when text is a JSON number as it stands ("12", "-0.5", "1e9"); "inf",
// "nan" and "" are not.
bool IsJsonNumber(const char* text);

}  // namespace qm
