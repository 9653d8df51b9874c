// What the default logger loaded, straight from its own component table: the
// names a trace configuration may use with the ids the reader selects by.
#pragma once

#include <vector>

#include "component_list.h"
#include "qmerrlog/tracedata.h"

class CQmLogger;

namespace qm {
namespace tool {

// A copy of the logger's table with nothing selected; the names stay the
// logger's (the default logger is never destroyed).
std::vector<QmTraceComponentInfo> ComponentTable(const CQmLogger& logger);

// The logger's entries for a listing: names and descriptions from its list
// text, ids from its table, and a remark on every entry a configuration
// cannot select as its name suggests.
std::vector<ComponentEntry> LoadedComponents(const CQmLogger& logger);

}  // namespace tool
}  // namespace qm
