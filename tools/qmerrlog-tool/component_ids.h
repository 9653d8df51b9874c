// Finds the id behind every component name by asking the library's reader:
// the component list text carries names only.
#pragma once

#include <set>
#include <vector>

#include "component_list.h"

namespace qm {
namespace tool {

class ProbeLogger;

// Sets id and idKnown of the entries the probe can tell apart, and
// unreachable for those no configuration can select. Returns the component
// numbers in use (empty when the probe could not switch tracing on).
std::set<unsigned int> AssignComponentIds(std::vector<ComponentEntry>* entries, ProbeLogger* probe);

}  // namespace tool
}  // namespace qm
