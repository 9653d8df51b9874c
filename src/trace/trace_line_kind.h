// The lines a trace layout makes of a record's traced fields: the record
// itself, or a line of the heading written when tracing is switched on.
#pragma once

namespace qm {

enum TraceLineKind : int {
    kTraceValues = 0,      // the record: each field's value
    kTraceFieldNames = 1,  // each field's name
    kTraceDashRule = 2,    // a rule of '-' as wide as each name (or column)
    kTraceEqualsRule = 3,  // the same rule of '=', the one under the names
};

}  // namespace qm
