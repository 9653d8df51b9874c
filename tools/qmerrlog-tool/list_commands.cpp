// components and fields: what a logger of this process loads.
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "loaded_components.h"
#include "qmerrlog/qmerrlog.h"

namespace qm {
namespace tool {

int ListComponents(std::FILE* out) {
    const std::vector<ComponentEntry> entries = LoadedComponents(*theLogger());
    std::size_t width = 0;
    for (const ComponentEntry& entry : entries) width = std::max(width, entry.name.size());
    for (const ComponentEntry& entry : entries) {
        // An entry no configuration can select is never traced: no id to use.
        char id[16] = "-";
        if (entry.selectable) std::snprintf(id, sizeof id, "0x%08X", entry.id);
        std::fprintf(out, "%-10s  %-*s  %s\n", id, static_cast<int>(width), entry.name.c_str(),
                     entry.description.c_str());
        if (!entry.remark.empty()) std::fprintf(out, "%-10s  (%s)\n", "", entry.remark.c_str());
    }
    return kExitAccepted;
}

int ListFields(std::FILE* out) {
    int count = 0;
    const KNOWNDATAFIELDINFO* table = nullptr;
    GetKnownDataFields(&count, &table);
    // The logger's own list names the fields; the table adds ids and widths.
    const char* list = theLogger()->GetAvailableDataFields();
    std::istringstream names(list != nullptr ? list : "");
    std::string name;
    while (names >> name) {
        for (int id = 0; id < count; ++id) {
            if (name != table[id].name) continue;
            std::fprintf(out, "%2d  %-16s %3d\n", id, table[id].name, table[id].width);
            break;
        }
    }
    return kExitAccepted;
}

}  // namespace tool
}  // namespace qm
