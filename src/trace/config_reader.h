// The one reader of trace configuration files: a components line, a data
// line, then filter lines. The logger reads a file into its master record
// with it, and qmerrlog-tool reads with it too, turning what the reader
// reports about each line into its verdict. Internal: neither exported nor
// installed.
#pragma once

#include "qmerrlog/tracedata.h"

class CQmFile;

namespace qm {

// The line area: a longer line is cut at kConfigLineAreaSize - 1 bytes and
// the rest of it skipped.
constexpr int kConfigLineAreaSize = 8092;

// What the reader made of a line, or of a name on it.
enum class ConfigFinding {
    kLineCut,             // longer than the line area: its rest is skipped
    kLineHoldsNul,        // what follows the NUL byte is not read
    kNotComponentsLine,   // the file is refused; name is the line's first token
    kNotDataLine,         // the file is refused; name is the line's first token
    kUnknownComponent,    // a components line name matches no component: ignored
    kUnknownField,        // a data line name matches no field: ignored
    kRepeatedField,       // a data line name listed before: ignored
    kUnknownFilterField,  // a filter line whose first token names no field: ignored
    kNoFilterOperator,    // a filter line ignored; text is where the operator was looked
                          // for, null when the field name ends the line
    kFilterReplaced,      // the field's filter from earlierLine gives way to this line's
    kFilterSet            // the field's filter is now filterOperator and text
};

struct ConfigFindingInfo {
    int line;  // 1-based
    ConfigFinding what;
    const char* name;  // the name or first token the finding is about
    const char* text;
    int filterOperator;  // QmFilterOperator, for kFilterSet
    int earlierLine;     // for kFilterReplaced
};

// Called in line order; the texts live only for the call.
using ConfigFindingCallback = void (*)(const ConfigFindingInfo& finding, void* context);

// Where a reading lands. Named components (and what naming them brings
// along) get selected; the fields table has QM_DATA_FIELD_COUNT rows whose
// traced and filter members are set, filter texts being new[] copies owned by
// the table; fieldOrder has as many slots and takes 1 + the row of each
// traced field in the data line's order.
struct TraceConfigTables {
    QmTraceComponentInfo* components;
    int componentCount;
    QmTraceDataFieldInfo* fields;
    unsigned int* fieldOrder;
};

struct TraceConfigReading {
    bool accepted = false;
    int lineCount = 0;       // lines read, up to a refusing one
    int componentsLine = 0;  // 0 while the file has none
    int dataLine = 0;
};

// A text a configuration keeps (a filter text, a separator): a new[] copy,
// null when memory is short.
char* CopyConfigText(const char* text);

// Reads an open file of lines into the tables. Refused: the first line that
// is neither blank nor a comment is not the components line, the next one not
// the data line, or a filter text cannot be kept.
TraceConfigReading ReadTraceConfig(CQmFile& file, const TraceConfigTables& tables,
                                   ConfigFindingCallback onFinding = nullptr, void* context = nullptr);

}  // namespace qm
