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

// A configuration file read once, whole, by the library's line reader: every
// later look at the file (the tool's reading, the library's) reads this text,
// so a FIFO can be checked and a file changed meanwhile cannot disagree.
struct ConfigSnapshot {
    bool read = false;
    std::string text;
    std::string unreadableReason;  // when not read
};

ConfigSnapshot ReadConfigSnapshot(const std::string& path);

// Reads the snapshot with the components and data fields given (the known
// data field table has fieldCount rows).
ConfigReading ReadTraceConfig(const ConfigSnapshot& snapshot, const std::vector<ComponentEntry>& components,
                              const KNOWNDATAFIELDINFO* fields, int fieldCount);

// The line reader's area, as the library's reader uses it: longer lines are
// cut at kLineAreaSize - 1 bytes and their rest skipped.
constexpr int kLineAreaSize = 8092;

// Calls onLine(number, text, length) for every line of the text as the
// library's line reader delivers it, until onLine returns false.
void ForEachConfigLine(const std::string& text, const std::function<bool(int, char*, int)>& onLine);

// Text fit for one line of output: quoted, control bytes escaped.
std::string Quote(const std::string& text);

}  // namespace tool
}  // namespace qm
