// Pieces of an RFC 5424 syslog message:
//   <PRI>1 TIMESTAMP HOSTNAME APP-NAME PROCID MSGID STRUCTURED-DATA [MSG]
// Header fields are printable ASCII of bounded length, SD-PARAM values are
// escaped UTF-8, MSG is UTF-8; nothing a caller passes can break the frame.
//
// Each piece is written at out, which the caller has sized by the bound the
// piece states, and the end of what was written is returned: a frame is built
// in one area without a check or an allocation per piece. The Append forms
// are the same pieces on a string, for code that builds a frame once.
#pragma once

#include <cstddef>
#include <string>

namespace qm {

// The longest header fields may be (RFC 5424, section 6).
constexpr std::size_t kHostNameMax = 255;
constexpr std::size_t kAppNameMax = 48;
constexpr std::size_t kProcIdMax = 128;
constexpr std::size_t kMsgIdMax = 32;
constexpr std::size_t kSdNameMax = 32;

// "<PRI>1 " is at most this long.
constexpr std::size_t kPriorityAndVersionMax = 16;
// An escaped SD-PARAM value or a repaired MSG takes at most this many bytes
// per byte of its text: a byte that is no UTF-8 becomes the three of U+FFFD.
constexpr std::size_t kMostBytesPerTextByte = 3;

// A header field: bytes outside '!'..'~' become '_', the text is cut to
// maxLength, and an empty or null text is the NILVALUE "-". At most
// maxLength bytes (and at least 1).
char* WriteHeaderField(char* out, const char* text, std::size_t maxLength);
void AppendHeaderField(std::string* out, const char* text, std::size_t maxLength);

// "<PRI>1 " with PRI = facility * 8 + severity.
char* WritePriorityAndVersion(char* out, int facility, int severity);
void AppendPriorityAndVersion(std::string* out, int facility, int severity);

// An SD-NAME (SD-ID or PARAM-NAME): '=', ' ', ']', '"' and bytes outside
// '!'..'~' become '_', cut to kSdNameMax bytes; an empty name becomes "_".
char* WriteSdName(char* out, const char* name);
void AppendSdName(std::string* out, const char* name);

// An SD-PARAM value between its quotes: '"', '\' and ']' escaped with '\',
// bytes that are not UTF-8 replaced by U+FFFD. At most
// kMostBytesPerTextByte * length bytes.
char* WriteSdParamValue(char* out, const char* value, std::size_t length);
void AppendSdParamValue(std::string* out, const char* value, std::size_t length);

// The MSG: text with each byte that starts no well-formed UTF-8 sequence
// replaced by U+FFFD. At most kMostBytesPerTextByte * length bytes;
// RepairedTextSize tells the exact count for a text too long to bound that way.
char* WriteRepairedText(char* out, const char* text, std::size_t length);
std::size_t RepairedTextSize(const char* text, std::size_t length);

}  // namespace qm
