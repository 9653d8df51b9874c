// Finds the id behind every component name by asking the library's reader:
// the component list text carries names only.
#pragma once

#include <vector>

#include "component_list.h"

namespace qm {
namespace tool {

class ProbeLogger;

// Sets id, idKnown, selectable and remark of every entry the probe can tell
// apart; ids stay unknown when the probe cannot switch tracing on.
void AssignComponentIds(std::vector<ComponentEntry>* entries, ProbeLogger* probe);

}  // namespace tool
}  // namespace qm
