// check-trace-config: the tool's own reading of the file, line by line,
// confirmed against the library's reader before it is reported.
#include <string>
#include <vector>

#include "commands.h"
#include "component_ids.h"
#include "component_list.h"
#include "config_reading.h"
#include "library_check.h"
#include "probe_logger.h"
#include "qmerrlog/qmerrlog.h"

namespace qm {
namespace tool {

namespace {

void PrintFindings(const ConfigReading& reading, std::FILE* out) {
    for (const Finding& finding : reading.findings) {
        if (finding.line > 0) std::fprintf(out, "line %d: ", finding.line);
        if (finding.kind == FindingKind::kNote) std::fputs("note: ", out);
        std::fprintf(out, "%s\n", finding.text.c_str());
    }
}

void PrintSettings(const ConfigReading& reading, const std::vector<ComponentEntry>& components,
                   const KNOWNDATAFIELDINFO* fields, std::FILE* out) {
    bool any = false;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (!reading.selected[i]) continue;
        any = true;
        const ComponentEntry& entry = components[i];
        if (entry.idKnown) {
            std::fprintf(out, "selected: %s (0x%08X)\n", entry.name.c_str(), entry.id);
        } else {
            std::fprintf(out, "selected: %s\n", entry.name.c_str());
        }
    }
    if (!any) std::fputs("selected: none\n", out);

    std::string order;
    for (unsigned int id : reading.fieldOrder) order += (order.empty() ? "" : ", ") + std::string(fields[id].name);
    std::fprintf(out, "fields: %s\n", order.empty() ? "none" : order.c_str());

    for (const auto& item : reading.filters) {
        const FilterSetting& filter = item.second;
        std::fprintf(out, "filter: %s %s %s (line %d)\n", fields[filter.field].name,
                     filter.filterOperator == QM_FILTER_EQUAL ? "==" : "!=", Quote(filter.text).c_str(),
                     filter.line);
    }
}

}  // namespace

int CheckTraceConfig(const std::string& path, std::FILE* out, std::FILE* err) {
    int fieldCount = 0;
    const KNOWNDATAFIELDINFO* fields = nullptr;
    GetKnownDataFields(&fieldCount, &fields);
    // The names a configuration may use are those of the components this
    // process loaded, component libraries on the loader path included.
    std::vector<ComponentEntry> components = ParseComponentList(theLogger()->GetAvailableComponents());
    ProbeLogger probe;
    AssignComponentIds(&components, &probe);

    // One read of the path: a FIFO yields its text once, and a file changed
    // during the check must not read one way for the tool, another for the library.
    const ConfigSnapshot snapshot = ReadConfigSnapshot(path);
    const ConfigReading reading = ReadTraceConfig(snapshot, components, fields, fieldCount);
    std::vector<std::string> differences;
    if (snapshot.read) differences = CompareWithLibrary(snapshot.text, reading, components, fields, &probe);

    if (reading.verdict == ConfigReading::Verdict::kUnreadable) {
        std::fprintf(out, "refused: cannot open %s: %s\n", path.c_str(), reading.unreadableReason.c_str());
    } else {
        PrintFindings(reading, out);
        const int ignored = reading.IgnoredCount();
        if (reading.verdict == ConfigReading::Verdict::kRefused) {
            std::fprintf(out, "refused: %s\n", path.c_str());
        } else if (ignored == 0) {
            std::fprintf(out, "accepted: %s\n", path.c_str());
        } else {
            std::fprintf(out, "accepted with %d ignored: %s\n", ignored, path.c_str());
        }
        if (reading.verdict == ConfigReading::Verdict::kAccepted) PrintSettings(reading, components, fields, out);
    }

    if (!differences.empty()) {
        for (const std::string& difference : differences) {
            std::fprintf(err, "qmerrlog-tool: the library reads the file otherwise: %s\n", difference.c_str());
        }
        return kExitDisagreement;
    }
    if (reading.verdict != ConfigReading::Verdict::kAccepted) return kExitRefused;
    return reading.IgnoredCount() == 0 ? kExitAccepted : kExitAcceptedIgnoring;
}

}  // namespace tool
}  // namespace qm
