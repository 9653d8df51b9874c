// The two steps most tracing tests take: switch tracing on into a recording
// output, and trace one record of the library's own component the way an
// application does.
#pragma once

#include <string>

#include "qmerrlog/qmerrlog.h"
#include "support/recording_output.h"

namespace qmtest {

// Switches tracing on into output, which stays the caller's when refused.
inline bool TraceTo(CQmLogger* logger, CQmLogOutput* output, const std::string& config) {
    return logger->EnableTrace(output, 0, nullptr, config.c_str(), false, false, false);
}

inline bool TraceToRecorder(CQmLogger* logger, const std::string& config) {
    return TraceTo(logger, new RecordingOutput(), config);
}

// Fills, formats and writes a record, then empties it.
inline void TraceRecord(CQmTraceData& record, const char* text = "m") {
    record.SetFieldValue(QM_FIELD_MESSAGE, text);
    record.Format(), record.Log(), record.LeaveNoBody();
}

// False when the logger does not trace the component (no record was taken).
inline bool TraceOnce(CQmLogger* logger, const char* text = "m") {
    CQmTraceData* record = nullptr;
    if (!logger->ShouldTraceAlloc(QmTraceComponentId(1, 0), &record)) return false;
    TraceRecord(*record, text);
    return true;
}

}  // namespace qmtest
