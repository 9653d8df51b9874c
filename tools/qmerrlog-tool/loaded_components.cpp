#include "loaded_components.h"

#include "qmerrlog/logger.h"

// The logger keeps its table private: the tool reads it as the logger hands
// it to the reader, instead of guessing ids from outside.
struct QmLoadedComponentTable {
    static std::vector<QmTraceComponentInfo> Of(const CQmLogger& logger) {
        if (logger.m_pComponentInfo == nullptr) return {};
        return {logger.m_pComponentInfo, logger.m_pComponentInfo + logger.m_iComponentInfoCount};
    }
};

namespace qm {
namespace tool {

namespace {

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

// A component library copied without changing its number shares ids with
// its model: naming a component selects every entry of its number, naming a
// trace component the first entry of its id.
void MarkSharedIds(std::vector<ComponentEntry>* entries) {
    for (std::size_t i = 0; i < entries->size(); ++i) {
        ComponentEntry& entry = (*entries)[i];
        if (!entry.selectable || !entry.idKnown) continue;
        for (std::size_t j = 0; j < i; ++j) {
            const ComponentEntry& earlier = (*entries)[j];
            if (!earlier.selectable || !earlier.idKnown || earlier.id != entry.id) continue;
            if (entry.owner < 0) {
                entry.remark = "it has the component number of " + earlier.name + ": naming either selects both";
            } else {
                entry.remark = "it has the id of " + earlier.name + ": naming it selects that one";
            }
            break;
        }
    }
}

}  // namespace

std::vector<QmTraceComponentInfo> ComponentTable(const CQmLogger& logger) {
    std::vector<QmTraceComponentInfo> table = QmLoadedComponentTable::Of(logger);
    for (QmTraceComponentInfo& entry : table) entry.selected = false;
    return table;
}

std::vector<ComponentEntry> LoadedComponents(const CQmLogger& logger) {
    std::vector<ComponentEntry> entries = ParseComponentList(logger.GetAvailableComponents());
    // The table holds the list's entries in the list's order.
    const std::vector<QmTraceComponentInfo> table = ComponentTable(logger);
    std::size_t next = 0;
    for (ComponentEntry& entry : entries) {
        if (next < table.size() && table[next].name != nullptr && entry.name == table[next].name) {
            entry.id = table[next++].id;
            entry.idKnown = true;
        }
    }
    MarkUnselectable(&entries);
    MarkSharedIds(&entries);
    return entries;
}

}  // namespace tool
}  // namespace qm
