#include "library_check.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>

#include "probe_logger.h"
#include "qmerrlog/qmerrlog.h"
#include "temp_config.h"

namespace qm {
namespace tool {

namespace {

std::string IdList(const std::set<unsigned int>& ids) {
    std::string text;
    for (unsigned int id : ids) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", id);
        text += (text.empty() ? "" : " ") + std::string(hex);
    }
    return text.empty() ? "none" : text;
}

std::string NameList(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text.empty() ? "none" : text;
}

// The file as the line reader delivers it, with one line replaced: every
// other line reads exactly as before.
std::string WithLineReplaced(const std::string& original, int lineNumber, const std::string& replacement) {
    std::string text;
    ForEachConfigLine(original, [&](int number, char* line, int length) {
        if (number == lineNumber) {
            text += replacement;
        } else {
            text.append(line, static_cast<std::size_t>(length));
            // A line cut by the reader lost its end: keep the next line apart.
            if (text.back() != '\n') text += '\n';
        }
        return true;
    });
    return text;
}

// A working copy with the file's filters even when the file selects nothing:
// the same file with a components line that selects one component.
std::unique_ptr<CQmTraceData> CopyThroughOtherSelection(const std::string& text, const ConfigReading& reading,
                                                        const std::vector<ComponentEntry>& components,
                                                        ProbeLogger* probe) {
    for (const ComponentEntry& entry : components) {
        if (entry.owner >= 0 || !entry.idKnown || !entry.selectable || !entry.remark.empty()) continue;
        const TempConfig derived(WithLineReplaced(text, reading.componentsLine, "components " + entry.name + "\n"));
        if (derived.Path().empty() || !probe->Enable(derived.Path())) return nullptr;
        return probe->WorkingCopy(entry.id);
    }
    return nullptr;
}

void CompareFilters(const ConfigReading& reading, const KNOWNDATAFIELDINFO* fields, CQmTraceData* copy,
                    std::vector<std::string>* differences) {
    for (unsigned int id = 0; id < QM_DATA_FIELD_COUNT; ++id) {
        const bool mine = reading.filters.count(id) != 0;
        if (copy->FieldFiltered(id) != mine) {
            differences->push_back(std::string("field ") + fields[id].name +
                                   (mine ? " has no filter in the library" : " has a filter in the library"));
        }
    }
    // The filter's operator and text show in which values pass.
    for (const auto& item : reading.filters) {
        const FilterSetting& filter = item.second;
        const bool equalPasses = copy->SetFieldValue(filter.field, filter.text.c_str());
        const bool otherPasses = copy->SetFieldValue(filter.field, (filter.text + "\x01").c_str());
        if (equalPasses != (filter.filterOperator == QM_FILTER_EQUAL) ||
            otherPasses != (filter.filterOperator == QM_FILTER_NOT_EQUAL)) {
            differences->push_back(std::string("the filter of ") + fields[filter.field].name +
                                   " compares another text or operator in the library");
        }
    }
    copy->LeaveNoBody();
}

}  // namespace

std::vector<std::string> CompareWithLibrary(const std::string& text, const ConfigReading& reading,
                                            const std::vector<ComponentEntry>& components,
                                            const KNOWNDATAFIELDINFO* fields, ProbeLogger* probe) {
    std::vector<std::string> differences;
    const TempConfig copy(text);
    if (copy.Path().empty()) {
        differences.push_back("(unknown) no temporary copy of the file could be written for the library to read");
        return differences;
    }
    const bool accepted = probe->Enable(copy.Path());
    if (accepted != (reading.verdict == ConfigReading::Verdict::kAccepted)) {
        differences.push_back(accepted ? "the library accepts the file" : "the library refuses the file");
        return differences;
    }
    if (!accepted) return differences;

    const std::set<unsigned int> selected = probe->SelectedIds();
    std::set<unsigned int> expected;
    bool idsKnown = true;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (!reading.selected[i]) continue;
        idsKnown = idsKnown && components[i].idKnown;
        expected.insert(components[i].id);
    }
    if (idsKnown && selected != expected) {
        differences.push_back("the library selects " + IdList(selected) + ", the tool " + IdList(expected));
    }

    std::vector<std::string> order;
    for (unsigned int id : reading.fieldOrder) order.push_back(fields[id].name);
    const std::vector<std::string> heading = probe->HeadingNames();
    if (heading != order) {
        differences.push_back("the library's records carry " + NameList(heading) + ", the tool's " + NameList(order));
    }
    for (unsigned int id = 0; id < QM_DATA_FIELD_COUNT; ++id) {
        const bool mine = std::find(reading.fieldOrder.begin(), reading.fieldOrder.end(), id) != reading.fieldOrder.end();
        if (probe->FieldTraced(id) != mine) {
            differences.push_back(std::string("field ") + fields[id].name +
                                  (mine ? " is not traced by the library" : " is traced by the library"));
        }
    }

    std::unique_ptr<CQmTraceData> working;
    if (!selected.empty()) {
        working = probe->WorkingCopy(*selected.begin());
    } else if (!reading.filters.empty()) {
        working = CopyThroughOtherSelection(text, reading, components, probe);
    }
    if (working != nullptr) CompareFilters(reading, fields, working.get(), &differences);
    return differences;
}

}  // namespace tool
}  // namespace qm
