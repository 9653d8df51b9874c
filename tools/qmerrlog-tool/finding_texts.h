// Words for what the library's reader reports about a configuration file,
// with a hint at the likely slip behind a name that matches nothing.
#pragma once

#include <string>
#include <vector>

#include "qmerrlog/tracedata.h"
#include "trace/config_reader.h"

namespace qm {
namespace tool {

enum class FindingKind {
    kIgnored,  // a name or line the reader passes over
    kNote,     // read as written, but rarely what was meant
    kRefusal   // the reason the whole file is refused
};

// A finding of the reader, kept beyond its callback.
struct RecordedFinding {
    int line;
    ConfigFinding what;
    std::string name;
    std::string text;
    bool hasText;
    int filterOperator;
    int earlierLine;
};

struct FindingText {
    int line;  // 0: the file as a whole
    FindingKind kind;
    std::string text;
};

// What a reading looked at: the loaded components, the fields table and
// field order it filled, and where the sections started.
struct ReadingContext {
    const std::vector<QmTraceComponentInfo>& components;
    const QmTraceDataFieldInfo* fields;
    const unsigned int* fieldOrder;
    const TraceConfigReading& reading;
};

// The texts of one finding, in the order they are shown.
std::vector<FindingText> DescribeFinding(const RecordedFinding& finding, const ReadingContext& context);

// What an accepted file leaves untraced as a whole.
std::vector<FindingText> DescribeEndOfFile(const ReadingContext& context);

// Text fit for one line of output: quoted, control bytes escaped.
std::string Quote(const std::string& text);

}  // namespace tool
}  // namespace qm
