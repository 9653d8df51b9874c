// One record of ours as an RFC 5424 message: log lines by the type of their
// message id (and the id as MSGID), audit records on their own facility,
// trace records at debug with their fields as structured data.
#pragma once

#include <cstddef>
#include <string>

class CQmErrLogMessage;

namespace qm {

// Syslog severities and the facilities the output defaults to.
enum SyslogSeverity {
    kSeverityError = 3,
    kSeverityWarning = 4,
    kSeverityNotice = 5,
    kSeverityInfo = 6,
    kSeverityDebug = 7
};
constexpr int kFacilityUser = 1;
constexpr int kFacilityAuthPriv = 10;

// The SD-ID of trace fields: 32473 is the enterprise number set aside for
// documentation, to be replaced by one of our own.
constexpr const char* kTraceSdId = "qmtrace@32473";

struct SyslogSettings {
    int facility = kFacilityUser;           // log lines, trace records, plain texts
    int auditFacility = kFacilityAuthPriv;  // audit records
    std::string appName;                    // empty: NILVALUE
    std::string hostName;                   // empty: NILVALUE
    std::string procId;
    bool octetCounting = false;  // "LEN " before the message (TCP)
    // " HOSTNAME APP-NAME PROCID ", made once by PrepareFixedFields.
    std::string fixedFields;
};

// Fills settings->fixedFields from the host name, app name and process id.
void PrepareFixedFields(SyslogSettings* settings);

// The most bytes WriteSyslogFrame may take for message, room for the octet
// count included. A bound up to `enough` may be loose (it assumes every byte
// of the text may need repair); above it the text is scanned for its exact
// size, so that a long line asks for no more room than it takes.
std::size_t SyslogFrameBound(const CQmErrLogMessage& message, const SyslogSettings& settings, std::size_t enough);

// Writes the frame of message into area (SyslogFrameBound bytes) and returns
// the end of the frame in area; *start is the offset at which the bytes to send
// begin. npos for a frame too long to count.
std::size_t WriteSyslogFrame(const CQmErrLogMessage& message, const SyslogSettings& settings, char* area,
                             std::size_t* start);

// The same frame in *frame (its old content dropped); returns the offset in
// *frame at which the bytes to send begin (npos for a frame too long to
// count). The bytes before it are no part of the frame.
std::size_t BuildSyslogFrame(const CQmErrLogMessage& message, const SyslogSettings& settings, std::string* frame);

}  // namespace qm
