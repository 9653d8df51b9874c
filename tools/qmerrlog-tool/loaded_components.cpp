#include "loaded_components.h"

#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"
#include "trace/line_tokenizer.h"

// The logger keeps its tables private: the tool reads them as the logger
// hands them to the reader, instead of guessing ids from outside.
template <>
struct QmInternalAccess<struct LoadedComponentTable> {
    static std::vector<QmTraceComponentInfo> Entries(const CQmLogger& logger) {
        if (logger.m_pComponentInfo == nullptr) return {};
        return {logger.m_pComponentInfo, logger.m_pComponentInfo + logger.m_iComponentInfoCount};
    }
    // The loaded components in slot order, the order of the table's entries.
    static std::vector<CQmErrLogComponent*> Components(const CQmLogger& logger) {
        std::vector<CQmErrLogComponent*> loaded;
        for (int slot = 0; logger.m_ppComponents != nullptr && slot < logger.m_iComponentCount; ++slot) {
            if (logger.m_ppComponents[slot] != nullptr) loaded.push_back(logger.m_ppComponents[slot]);
        }
        return loaded;
    }
};
using QmLoadedComponentTable = QmInternalAccess<LoadedComponentTable>;

namespace qm {
namespace tool {

namespace {

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

// An entry's description: the component's own, or that of the trace
// component the entry's trace component number points at.
std::string Description(CQmErrLogComponent* component, unsigned int id) {
    const unsigned int trace = QmTraceComponentNumber(id);
    if (trace == 0) return Text(component->GetDescription());
    int count = 0;
    QmTraceComponentDesc* traces = nullptr;
    component->GetTraceComponents(&count, &traces);
    if (traces == nullptr || static_cast<int>(trace) > count) return "";
    return Text(traces[trace - 1].description);
}

// True when the name can stand in a configuration line as one token.
bool IsSingleToken(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name) {
        if (LineTokenizer::IsDelimiter(c)) return false;
    }
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

// A component library copied without changing its number shares ids with
// its model: naming a component selects every entry of its number, naming a
// trace component the first entry of its id.
void MarkSharedIds(std::vector<ComponentEntry>* entries) {
    for (std::size_t i = 0; i < entries->size(); ++i) {
        ComponentEntry& entry = (*entries)[i];
        if (!entry.selectable) continue;
        for (std::size_t j = 0; j < i; ++j) {
            const ComponentEntry& earlier = (*entries)[j];
            if (!earlier.selectable || earlier.id != entry.id) continue;
            if (QmTraceComponentNumber(entry.id) == 0) {
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
    std::vector<QmTraceComponentInfo> table = QmLoadedComponentTable::Entries(logger);
    for (QmTraceComponentInfo& entry : table) entry.selected = false;
    return table;
}

std::vector<ComponentEntry> LoadedComponents(const CQmLogger& logger) {
    const std::vector<CQmErrLogComponent*> components = QmLoadedComponentTable::Components(logger);
    std::vector<ComponentEntry> entries;
    std::size_t next = 0;
    CQmErrLogComponent* current = nullptr;
    for (const QmTraceComponentInfo& info : ComponentTable(logger)) {
        // A component's entry starts its run of trace component entries.
        if (QmTraceComponentNumber(info.id) == 0) {
            current = nullptr;
            while (current == nullptr && next < components.size()) {
                CQmErrLogComponent* candidate = components[next++];
                if (QmComponentNumber(candidate->GetComponentId()) == QmComponentNumber(info.id))
                    current = candidate;
            }
        }
        ComponentEntry entry;
        entry.name = Text(info.name);
        entry.id = info.id;
        if (current != nullptr) entry.description = Description(current, info.id);
        entries.push_back(entry);
    }
    MarkUnselectable(&entries);
    MarkSharedIds(&entries);
    return entries;
}

}  // namespace tool
}  // namespace qm
