// check-trace-config: the file read by the library's own reader, with a word
// on every line and name it passes over, then the verdict.
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "finding_texts.h"
#include "loaded_components.h"
#include "qm_file.h"
#include "qmerrlog/qmerrlog.h"
#include "trace/config_reader.h"

namespace qm {
namespace tool {

namespace {

// Why a path cannot be read as a file of lines.
std::string UnreadableReason(const CQmFile& file) {
    switch (file.LastRefusal()) {
        case CQmFile::kNotRegularFile: return "not a regular file";
        case CQmFile::kTooLarge:
            return "larger than " + std::to_string(CQmFile::kMaxFileBytes / (1024 * 1024)) + " MiB";
        default: return errno != 0 ? std::strerror(errno) : "it cannot be opened";
    }
}

void Record(const ConfigFindingInfo& finding, void* findings) {
    static_cast<std::vector<RecordedFinding>*>(findings)->push_back(
        {finding.line, finding.what, finding.name != nullptr ? finding.name : "",
         finding.text != nullptr ? finding.text : "", finding.text != nullptr, finding.filterOperator,
         finding.earlierLine});
}

// The known data fields as a reader's table; the filter texts the reader
// leaves in it are freed with it.
struct FieldTable {
    FieldTable() : rows(new QmTraceDataFieldInfo[QM_DATA_FIELD_COUNT]()) {
        int count = 0;
        const KNOWNDATAFIELDINFO* known = nullptr;
        GetKnownDataFields(&count, &known);
        for (unsigned int id = 0; id < QM_DATA_FIELD_COUNT && static_cast<int>(id) < count; ++id) {
            rows[id].id = id;
            rows[id].name = known[id].name;
        }
    }
    ~FieldTable() {
        for (unsigned int id = 0; id < QM_DATA_FIELD_COUNT; ++id) delete[] rows[id].filterText;
    }
    FieldTable(const FieldTable&) = delete;
    FieldTable& operator=(const FieldTable&) = delete;

    std::unique_ptr<QmTraceDataFieldInfo[]> rows;
};

// The line of the filter in force for each field: the last that set it.
std::vector<int> FilterLines(const std::vector<RecordedFinding>& findings, const QmTraceDataFieldInfo* fields) {
    std::vector<int> lines(QM_DATA_FIELD_COUNT, 0);
    for (const RecordedFinding& finding : findings) {
        if (finding.what != ConfigFinding::kFilterSet) continue;
        for (unsigned int id = 0; id < QM_DATA_FIELD_COUNT; ++id) {
            if (fields[id].name != nullptr && finding.name == fields[id].name) lines[id] = finding.line;
        }
    }
    return lines;
}

void PrintSettings(const ReadingContext& context, const std::vector<int>& filterLines, std::FILE* out) {
    bool any = false;
    for (const QmTraceComponentInfo& entry : context.components) {
        if (!entry.selected) continue;
        any = true;
        std::fprintf(out, "selected: %s (0x%08X)\n", entry.name, entry.id);
    }
    if (!any) std::fputs("selected: none\n", out);

    std::string order;
    for (unsigned int i = 0; i < QM_DATA_FIELD_COUNT && context.fieldOrder[i] != 0; ++i) {
        order += (order.empty() ? "" : ", ") + std::string(context.fields[context.fieldOrder[i] - 1].name);
    }
    std::fprintf(out, "fields: %s\n", order.empty() ? "none" : order.c_str());

    for (unsigned int id = 0; id < QM_DATA_FIELD_COUNT; ++id) {
        const QmTraceDataFieldInfo& field = context.fields[id];
        if (!field.filtered) continue;
        std::fprintf(out, "filter: %s %s %s (line %d)\n", field.name,
                     field.filterOperator == QM_FILTER_EQUAL ? "==" : "!=", Quote(field.filterText).c_str(),
                     filterLines[id]);
    }
}

}  // namespace

int CheckTraceConfig(const std::string& path, std::FILE* out) {
    CQmFile file;
    errno = 0;
    if (!file.OpenFile(path.c_str(), CQmFile::kReadLines)) {
        std::fprintf(out, "refused: cannot open %s: %s\n", path.c_str(), UnreadableReason(file).c_str());
        return kExitRefused;
    }
    // The names a configuration may use are those of the components this
    // process loaded, component libraries on the loader path included.
    std::vector<QmTraceComponentInfo> components = ComponentTable(*theLogger());
    FieldTable fields;
    unsigned int fieldOrder[QM_DATA_FIELD_COUNT] = {};
    std::vector<RecordedFinding> findings;
    const TraceConfigTables tables{components.data(), static_cast<int>(components.size()), fields.rows.get(),
                                   fieldOrder};
    const TraceConfigReading reading = ReadTraceConfig(file, tables, &Record, &findings);

    const ReadingContext context{components, fields.rows.get(), fieldOrder, reading};
    std::vector<FindingText> texts;
    for (const RecordedFinding& finding : findings) {
        const std::vector<FindingText> more = DescribeFinding(finding, context);
        texts.insert(texts.end(), more.begin(), more.end());
    }
    if (reading.accepted) {
        const std::vector<FindingText> more = DescribeEndOfFile(context);
        texts.insert(texts.end(), more.begin(), more.end());
    }

    int ignored = 0;
    for (const FindingText& text : texts) {
        if (text.line > 0) std::fprintf(out, "line %d: ", text.line);
        if (text.kind == FindingKind::kNote) std::fputs("note: ", out);
        std::fprintf(out, "%s\n", text.text.c_str());
        ignored += text.kind == FindingKind::kIgnored ? 1 : 0;
    }
    if (!reading.accepted) {
        std::fprintf(out, "refused: %s\n", path.c_str());
        return kExitRefused;
    }
    if (ignored == 0) {
        std::fprintf(out, "accepted: %s\n", path.c_str());
    } else {
        std::fprintf(out, "accepted with %d ignored: %s\n", ignored, path.c_str());
    }
    PrintSettings(context, FilterLines(findings, fields.rows.get()), out);
    return ignored == 0 ? kExitAccepted : kExitAcceptedIgnoring;
}

}  // namespace tool
}  // namespace qm
