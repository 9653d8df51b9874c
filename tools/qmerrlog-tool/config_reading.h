// The tool's own line-by-line reading of a trace configuration file: the same
// rules as the library's reader, with a word on every line it passes over.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "component_list.h"

struct KNOWNDATAFIELDINFO;

namespace qm {
namespace tool {

enum class FindingKind {
    kIgnored,  // a name or line the reader passes over
    kNote,     // read as written, but rarely what was meant
    kRefusal   // the reason the whole file is refused
};

struct Finding {
    int line;  // 0: the file as a whole
    FindingKind kind;
    std::string text;
};

struct FilterSetting {
    unsigned int field;
    int filterOperator;  // QmFilterOperator
    std::string text;
    int line;
};

struct ConfigReading {
    enum class Verdict { kAccepted, kRefused, kUnreadable };
    Verdict verdict = Verdict::kAccepted;
    std::string unreadableReason;
    int componentsLine = 0;  // 0 while the file has none
    int dataLine = 0;
    std::vector<Finding> findings;  // in line order
    std::vector<bool> selected;     // one flag per component entry
    std::vector<unsigned int> fieldOrder;
    std::map<unsigned int, FilterSetting> filters;  // by field id; the last line wins

    int IgnoredCount() const;
};

// Reads the file with the components and data fields given (the known data
// field table has fieldCount rows).
ConfigReading ReadTraceConfig(const std::string& path, const std::vector<ComponentEntry>& components,
                              const KNOWNDATAFIELDINFO* fields, int fieldCount);

// The line reader's area, as the library's reader uses it: longer lines are
// cut at kLineAreaSize - 1 bytes and their rest skipped.
constexpr int kLineAreaSize = 8092;

// Calls onLine(number, text, length) for every line of the file as the
// library's line reader delivers it, until onLine returns false. False when
// the file cannot be opened (errno says why).
bool ForEachConfigLine(const std::string& path, const std::function<bool(int, char*, int)>& onLine);

// Text fit for one line of output: quoted, control bytes escaped.
std::string Quote(const std::string& text);

}  // namespace tool
}  // namespace qm
