#include "component_ids.h"

#include <map>

#include "probe_logger.h"
#include "qmerrlog/component.h"
#include "temp_config.h"

namespace qm {
namespace tool {

namespace {

unsigned int ComponentNumber(unsigned int id) { return id >> QM_COMPONENT_SHIFT; }

bool IsTraceComponentId(unsigned int id) { return ((id >> QM_TRACE_COMPONENT_SHIFT) & 0xFFu) != 0; }

// Selected ids after switching the probe on with "components <names>".
bool SelectByNames(ProbeLogger* probe, const std::string& names, const std::set<unsigned int>& numbers,
                   std::set<unsigned int>* selected) {
    const TempConfig config("components " + names + "\n");
    if (config.Path().empty() || !probe->Enable(config.Path())) return false;
    *selected = probe->SelectedIds(numbers);
    return true;
}

void MarkUnreachable(std::vector<ComponentEntry>* entries, std::size_t component, const std::string& why) {
    for (std::size_t i = component; i < entries->size(); ++i) {
        ComponentEntry& entry = (*entries)[i];
        if (i != component && entry.owner != static_cast<int>(component)) break;
        if (entry.unreachable.empty()) entry.unreachable = why;
    }
}

}  // namespace

std::set<unsigned int> AssignComponentIds(std::vector<ComponentEntry>* entries, ProbeLogger* probe) {
    // Names that cannot stand as one token can never be selected; the rest
    // are selected all at once to learn which component numbers are in use.
    std::string everyName;
    for (std::size_t i = 0; i < entries->size(); ++i) {
        const ComponentEntry& entry = (*entries)[i];
        if (!IsSingleToken(entry.name)) {
            (*entries)[i].unreachable = "its name holds a blank, tab, colon or comma";
        } else if (entry.owner < 0) {
            everyName += " " + entry.name;
        }
    }
    std::set<unsigned int> numbers;
    std::set<unsigned int> all;
    if (!SelectByNames(probe, everyName, {}, &all)) return numbers;
    for (unsigned int id : all) numbers.insert(ComponentNumber(id));
    if (numbers.empty()) return numbers;

    // Then one component at a time: naming a component selects its own id
    // and those of all its trace components, in trace component order.
    std::map<unsigned int, std::string> owners;  // component id -> name
    for (std::size_t i = 0; i < entries->size(); ++i) {
        ComponentEntry& entry = (*entries)[i];
        if (entry.owner >= 0 || !IsSingleToken(entry.name)) continue;
        std::set<unsigned int> selected;
        if (!SelectByNames(probe, entry.name, numbers, &selected)) continue;
        std::vector<unsigned int> componentIds;
        std::vector<unsigned int> traceIds;
        for (unsigned int id : selected) (IsTraceComponentId(id) ? traceIds : componentIds).push_back(id);
        if (componentIds.size() != 1) continue;
        const unsigned int componentId = componentIds.front();
        const auto earlier = owners.find(componentId);
        if (earlier != owners.end()) {
            // The reader takes the first entry of a name, or the first of an id.
            MarkUnreachable(entries, i, "an earlier component, " + earlier->second + ", answers to the same name or number");
            continue;
        }
        owners[componentId] = entry.name;
        entry.id = componentId;
        entry.idKnown = true;
        std::size_t next = 0;
        std::vector<ComponentEntry*> traces;
        for (std::size_t j = i + 1; j < entries->size() && (*entries)[j].owner == static_cast<int>(i); ++j) {
            traces.push_back(&(*entries)[j]);
        }
        if (traces.size() != traceIds.size()) continue;
        for (ComponentEntry* trace : traces) {
            trace->id = traceIds[next++];
            trace->idKnown = true;
        }
    }
    return numbers;
}

}  // namespace tool
}  // namespace qm
