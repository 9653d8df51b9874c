// What the default logger loaded, straight from its own component table: the
// names a trace configuration may use with the ids the reader selects by.
#pragma once

#include <string>
#include <vector>

#include "qmerrlog/tracedata.h"

class CQmLogger;

namespace qm {
namespace tool {

// A component ("Display") or one of its trace components ("Display/Trace").
struct ComponentEntry {
    std::string name;
    std::string description;
    unsigned int id = 0;
    // False when no configuration line can name this entry.
    bool selectable = true;
    // What an operator should know about the entry; empty when all is well.
    std::string remark;
};

// A copy of the logger's table with nothing selected; the names stay the
// logger's (the default logger is never destroyed).
std::vector<QmTraceComponentInfo> ComponentTable(const CQmLogger& logger);

// The table's entries in its order, each component followed by its trace
// components, with their descriptions and a remark on every entry that a
// configuration cannot select as its name suggests.
std::vector<ComponentEntry> LoadedComponents(const CQmLogger& logger);

}  // namespace tool
}  // namespace qm
