// The body of a log line, for FormatLogMessage and for callers whose
// arguments are not a C variable argument list (the Java bridge).
#pragma once

#include "format/conversion_formatter.h"

class CQmErrLogMessage;

namespace qm {

// Appends "[TYPE] ", the catalogue text of messageId with its conversions
// rendered from arguments (control characters of the caller's texts escaped,
// at most 4095 bytes), and a line feed; true. Without a catalogue text it
// returns false and appends only the line feed that a line needs, so that
// a message logged anyway is still one whole line.
bool AppendLogMessageBody(CQmErrLogMessage* message, unsigned int messageId, ConversionArguments* arguments);

// The catalogue text of messageId through the default logger; null for none.
const char* CatalogueText(unsigned int messageId);

}  // namespace qm
