// Any bytes as a trace configuration file: the reader must accept or refuse
// them without reading or writing out of bounds, leaking or crashing, and
// whatever it accepted must assemble in every layout.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/known_data_fields.h"
#include "platform/process.h"
#include "qmerrlog/tracedata.h"

template <>
struct QmInternalAccess<struct TraceConfigFuzzInternals> {
    static bool Configure(CQmTraceData& record, int format, const char* file, QmTraceComponentInfo* components,
                          int count, QmTraceDataFieldInfo* fields) {
        return record.SetConfiguration(format, "|", file, count, components, fields, false);
    }
    static void Assign(CQmTraceData& copy, const CQmTraceData& master) { copy = master; }
    static bool Assemble(CQmTraceData& record, CQmErrLogMessage* message, int kind) {
        return record.AssembleTraceMessage(message, kind);
    }
    static void SetFormat(CQmTraceData& record, int format) { record.m_iTraceFormat = format; }
};

namespace {

using Access = QmInternalAccess<TraceConfigFuzzInternals>;

const std::string& ConfigPath() {
    static const std::string path =
        (std::filesystem::temp_directory_path() /
         ("qmerrlog_fuzz_trace_" + std::to_string(qm::platform::CurrentProcessId()) + ".cfg"))
            .string();
    return path;
}

// One record in one layout, as a tracing thread writes it, plus the heading.
void Exercise(CQmTraceData& copy, int format) {
    Access::SetFormat(copy, format);
    for (unsigned int id = 0; id < QM_DATA_FIELD_COUNT; ++id) {
        if (copy.FieldTraced(id) || copy.FieldFiltered(id)) {
            copy.SetFieldValue(id, static_cast<int>(id));
            copy.SetFieldValue(id, copy.FormatTraceMessage("%s-%u", "value", id));
        }
    }
    copy.Format();
    for (int kind = 1; kind <= 3; ++kind) {
        CQmErrLogMessage heading(false);
        Access::Assemble(copy, &heading, kind);
    }
    copy.LeaveNoBody();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream file(ConfigPath(), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    QmTraceComponentInfo components[] = {
        {false, 0x01000000u, "Log"},         {false, 0x01010000u, "Log/Legacy"},   {false, 0x02000000u, "Agent"},
        {false, 0x02010000u, "Agent/Cache"}, {false, 0x02010000u, "Agent/Cache2"},
    };
    static QmTraceDataFieldInfo* fields = qm::NewDataFieldInfoTable();

    const int count = static_cast<int>(sizeof components / sizeof components[0]);
    // Each layout from a master configured for it (a JSON-lines master makes
    // its keys when configured), then a code outside them, which must write
    // nothing.
    for (int format = QM_TRACE_BRACKETED; format <= QM_TRACE_JSON_LINES + 1; ++format) {
        const bool known = format <= QM_TRACE_JSON_LINES;
        CQmTraceData master;
        if (!Access::Configure(master, known ? format : QM_TRACE_DELIMITED, ConfigPath().c_str(), components,
                               count, fields)) {
            return 0;
        }
        CQmTraceData copy;
        Access::Assign(copy, master);
        Exercise(copy, format);
    }
    return 0;
}
