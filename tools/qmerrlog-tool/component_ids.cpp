#include "component_ids.h"

#include <set>
#include <string>

#include "probe_logger.h"
#include "qmerrlog/component.h"
#include "temp_config.h"

namespace qm {
namespace tool {

namespace {

unsigned int ComponentNumber(unsigned int id) { return QmComponentNumber(id); }

bool IsTraceComponentId(unsigned int id) { return QmTraceComponentNumber(id) != 0; }

// Selected ids after switching the probe on with "components <names>".
bool SelectByNames(ProbeLogger* probe, const std::string& names, const std::set<unsigned int>& numbers,
                   std::set<unsigned int>* selected) {
    const TempConfig config("components " + names + "\n");
    if (config.Path().empty() || !probe->Enable(config.Path())) return false;
    *selected = probe->SelectedIds(numbers);
    return true;
}

// Names no line can hold, or that an earlier entry answers to: the reader
// takes the first entry of a name.
void MarkUnselectable(std::vector<ComponentEntry>* entries) {
    for (std::size_t i = 0; i < entries->size(); ++i) {
        ComponentEntry& entry = (*entries)[i];
        if (!IsSingleToken(entry.name)) {
            entry.selectable = false;
            entry.remark = "no configuration can select it: its name holds a blank, tab, colon or comma";
            continue;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if ((*entries)[j].name != entry.name) continue;
            entry.selectable = false;
            entry.remark = "no configuration can select it: an earlier entry has the same name";
            break;
        }
    }
}

// Naming a component selects its own id and those of all its trace
// components, in trace component order.
void AssignFromComponent(std::vector<ComponentEntry>* entries, std::size_t index,
                         const std::set<unsigned int>& selected) {
    std::set<unsigned int> componentIds;
    std::vector<unsigned int> traceIds;
    for (unsigned int id : selected) {
        if (IsTraceComponentId(id)) {
            traceIds.push_back(id);
        } else {
            componentIds.insert(id);
        }
    }
    if (componentIds.size() != 1) return;
    ComponentEntry& component = (*entries)[index];
    component.id = *componentIds.begin();
    component.idKnown = true;
    for (std::size_t j = 0; j < index; ++j) {
        const ComponentEntry& earlier = (*entries)[j];
        if (earlier.owner < 0 && earlier.idKnown && earlier.id == component.id) {
            // A copied component library that kept its model's number.
            component.remark = "it has the component number of " + earlier.name + ": naming either selects both";
            return;
        }
    }
    std::vector<ComponentEntry*> traces;
    for (std::size_t j = index + 1; j < entries->size() && (*entries)[j].owner == static_cast<int>(index); ++j) {
        traces.push_back(&(*entries)[j]);
    }
    if (traces.size() != traceIds.size()) return;
    for (std::size_t j = 0; j < traces.size(); ++j) {
        traces[j]->id = traceIds[j];
        traces[j]->idKnown = true;
    }
}

}  // namespace

void AssignComponentIds(std::vector<ComponentEntry>* entries, ProbeLogger* probe) {
    MarkUnselectable(entries);

    // Every component at once tells which component numbers are in use, so
    // that the runs below probe only those.
    std::string everyName;
    for (const ComponentEntry& entry : *entries) {
        if (entry.owner < 0 && entry.selectable) everyName += " " + entry.name;
    }
    std::set<unsigned int> numbers;
    std::set<unsigned int> all;
    if (!SelectByNames(probe, everyName, {}, &all)) return;
    for (unsigned int id : all) numbers.insert(ComponentNumber(id));

    // Then one component at a time.
    for (std::size_t i = 0; i < entries->size(); ++i) {
        const ComponentEntry& entry = (*entries)[i];
        if (entry.owner >= 0 || !entry.selectable) continue;
        std::set<unsigned int> selected;
        if (SelectByNames(probe, entry.name, numbers, &selected)) AssignFromComponent(entries, i, selected);
    }
    // Trace components whose ids their component could not tell: naming one
    // selects exactly one id, possibly under a number no selectable component
    // has, so every number is probed.
    for (ComponentEntry& entry : *entries) {
        if (entry.owner < 0 || entry.idKnown || !entry.selectable) continue;
        std::set<unsigned int> selected;
        if (SelectByNames(probe, entry.name, {}, &selected) && selected.size() == 1) {
            entry.id = *selected.begin();
            entry.idKnown = true;
        }
    }
    // The reader selects the first entry of a trace component id.
    for (std::size_t i = 0; i < entries->size(); ++i) {
        ComponentEntry& entry = (*entries)[i];
        if (entry.owner < 0 || !entry.idKnown || !entry.remark.empty()) continue;
        for (std::size_t j = 0; j < i; ++j) {
            if ((*entries)[j].idKnown && (*entries)[j].id == entry.id) {
                entry.remark = "it has the id of " + (*entries)[j].name + ": naming it selects that one";
                break;
            }
        }
    }
}

}  // namespace tool
}  // namespace qm
