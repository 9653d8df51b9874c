#include "probe_logger.h"

#include "qmerrlog/qmerrlog.h"

namespace qm {
namespace tool {

namespace {

// Named so that no program would choose it; the tool's process is its own.
const char kProbeLoggerName[] = "qmerrlog-tool probe";
constexpr unsigned int kLastComponentNumber = 255;
constexpr unsigned int kLastTraceComponentNumber = 255;

}  // namespace

ProbeLogger::ProbeLogger() : m_pLogger(getMyLogger(kProbeLoggerName)) {}

ProbeLogger::~ProbeLogger() {
    // The output points back at this object: take it away before we go.
    if (m_pLogger != nullptr) m_pLogger->DisableTrace(false);
}

// Runs inside the logger's guard: it only keeps the text, and never calls
// back into the logger.
void ProbeLogger::Keep(const char* text, int length, void* self) {
    static_cast<ProbeLogger*>(self)->m_written.append(text, static_cast<std::size_t>(length));
}

bool ProbeLogger::Enable(const std::string& configFile) {
    if (m_pLogger == nullptr) return false;
    m_written.clear();
    CQmLogOutput* output = m_pLogger->NewLogOutput(QM_OUTPUT_SYNC_PARAM_CALLBACK, &ProbeLogger::Keep,
                                                  static_cast<void*>(this));
    if (output == nullptr) return false;
    if (m_pLogger->EnableTrace(output, QM_TRACE_BRACKETED, nullptr, configFile.c_str(), false, false,
                               false)) {
        return true;
    }
    m_pLogger->DeleteLogOutput(output);
    return false;
}

std::set<unsigned int> ProbeLogger::SelectedIds(const std::set<unsigned int>& numbers) {
    std::set<unsigned int> all;
    if (numbers.empty()) {
        for (unsigned int number = 1; number <= kLastComponentNumber; ++number) all.insert(number);
    }
    std::set<unsigned int> selected;
    for (unsigned int number : numbers.empty() ? all : numbers) {
        for (unsigned int trace = 0; trace <= kLastTraceComponentNumber; ++trace) {
            const unsigned int id = QmTraceComponentId(number, trace);
            if (m_pLogger->TraceEnabled(id)) selected.insert(id);
        }
    }
    return selected;
}

std::vector<std::string> ProbeLogger::HeadingNames() const {
    // The first line is "[Name][Name]...": field names hold no brackets.
    std::vector<std::string> names;
    const std::size_t end = m_written.find('\n');
    const std::string line = m_written.substr(0, end);
    std::size_t open = line.find('[');
    while (open != std::string::npos) {
        const std::size_t close = line.find(']', open);
        if (close == std::string::npos) break;
        names.push_back(line.substr(open + 1, close - open - 1));
        open = line.find('[', close);
    }
    return names;
}

bool ProbeLogger::FieldTraced(unsigned int fieldId) {
    return m_pLogger != nullptr && m_pLogger->FieldTraced(fieldId);
}

std::unique_ptr<CQmTraceData> ProbeLogger::WorkingCopy(unsigned int traceComponentId) {
    std::unique_ptr<CQmTraceData> record(new CQmTraceData());
    if (m_pLogger == nullptr || !m_pLogger->ShouldTrace(traceComponentId, record.get())) return nullptr;
    return record;
}

}  // namespace tool
}  // namespace qm
