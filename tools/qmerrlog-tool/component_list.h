// The components a logger loaded, as a trace configuration names them, read
// back from the logger's component list text.
#pragma once

#include <string>
#include <vector>

namespace qm {
namespace tool {

// A component ("Display") or one of its trace components ("Display/Trace").
struct ComponentEntry {
    std::string name;
    std::string description;
    // Index of the component entry a trace component belongs to; -1 for a component.
    int owner = -1;
    // The entry's id in the logger's table (known unless the table lacks it).
    unsigned int id = 0;
    bool idKnown = false;
    // False when no configuration line can name this entry.
    bool selectable = true;
    // What an operator should know about the entry; empty when all is well.
    std::string remark;
};

// Splits a logger's component list text, "Display ; description : Trace ;
// description&Trace ; description | Display ; description", into entries:
// each component followed by its trace components, in the logger's order.
// Descriptions that themselves hold " | " or "&" stay whole as long as the
// piece after the separator has no " ; " of its own.
std::vector<ComponentEntry> ParseComponentList(const char* text);

// True when the name can stand in a configuration line as one token.
bool IsSingleToken(const std::string& name);

}  // namespace tool
}  // namespace qm
