// Runs a trace configuration file through a real logger and lists every point
// on which the library's reader and the tool's reading differ.
#pragma once

#include <string>
#include <vector>

#include "component_list.h"
#include "config_reading.h"

struct KNOWNDATAFIELDINFO;

namespace qm {
namespace tool {

class ProbeLogger;

// Empty when both agree on the verdict, the selection, the field order and
// the filters. The library reads a copy of the text in a temporary file.
std::vector<std::string> CompareWithLibrary(const std::string& text, const ConfigReading& reading,
                                            const std::vector<ComponentEntry>& components,
                                            const KNOWNDATAFIELDINFO* fields, ProbeLogger* probe);

}  // namespace tool
}  // namespace qm
