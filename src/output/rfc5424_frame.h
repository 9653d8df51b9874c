// Pieces of an RFC 5424 syslog message:
//   <PRI>1 TIMESTAMP HOSTNAME APP-NAME PROCID MSGID STRUCTURED-DATA [MSG]
// Header fields are printable ASCII of bounded length, SD-PARAM values are
// escaped UTF-8, MSG is UTF-8; nothing a caller passes can break the frame.
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

// Appends a header field: bytes outside '!'..'~' become '_', the text is cut
// to maxLength, and an empty or null text is the NILVALUE "-".
void AppendHeaderField(std::string* out, const char* text, std::size_t maxLength);

// "<PRI>1 " with PRI = facility * 8 + severity.
void AppendPriorityAndVersion(std::string* out, int facility, int severity);

// An SD-NAME (SD-ID or PARAM-NAME): '=', ' ', ']', '"' and bytes outside
// '!'..'~' become '_', cut to 32 bytes; an empty name becomes "_".
void AppendSdName(std::string* out, const char* name);

// An SD-PARAM value between its quotes: '"', '\' and ']' escaped with '\',
// bytes that are not UTF-8 replaced by U+FFFD.
void AppendSdParamValue(std::string* out, const char* value, std::size_t length);

}  // namespace qm
