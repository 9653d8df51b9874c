#include "trace/config_reader.h"

#include <cstring>
#include <new>

#include "qm_file.h"
#include "qmerrlog/component.h"
#include "trace/filter_operator.h"
#include "trace/line_tokenizer.h"

namespace qm {

namespace {

enum class Section {
    kComponents,
    kData,
    kFilters
};

class Reader {
public:
    Reader(const TraceConfigTables& tables, ConfigFindingCallback onFinding, void* context)
        : m_tables(tables), m_onFinding(onFinding), m_context(context) {}

    TraceConfigReading Read(CQmFile& file);

private:
    // False when the line refuses the file.
    bool Line(char* line, int length);
    // The sections come in order: a line that does not start the one
    // expected refuses the file.
    bool StartsSection(const char* first, const char* keyword, ConfigFinding refusal) const {
        if (std::strcmp(first, keyword) == 0) return true;
        Report(refusal, first);
        return false;
    }
    void ComponentsLine(LineTokenizer& tokens);
    void DataLine(LineTokenizer& tokens);
    // False when the filter cannot be kept.
    bool FilterLine(const char* name, LineTokenizer& tokens);

    QmTraceComponentInfo* Component(const char* name) const;
    QmTraceDataFieldInfo* Field(const char* name) const;
    void Select(unsigned int id) const;
    void Report(ConfigFinding what, const char* name, const char* text = nullptr, int filterOperator = 0,
                int earlierLine = 0) const {
        if (m_onFinding == nullptr) return;
        m_onFinding({m_reading.lineCount, what, name, text, filterOperator, earlierLine}, m_context);
    }

    const TraceConfigTables& m_tables;
    ConfigFindingCallback m_onFinding;
    void* m_context;
    TraceConfigReading m_reading;
    Section m_expected = Section::kComponents;
    unsigned int m_orderCount = 0;
    int m_filterLines[QM_DATA_FIELD_COUNT] = {};
};

TraceConfigReading Reader::Read(CQmFile& file) {
    char line[kConfigLineAreaSize];
    int length = 0;
    bool ok = true;
    while (ok && (length = file.ReadLine(line, kConfigLineAreaSize)) > 0) {
        ++m_reading.lineCount;
        ok = Line(line, length);
    }
    m_reading.accepted = ok;
    return m_reading;
}

bool Reader::Line(char* line, int length) {
    if (length == kConfigLineAreaSize - 1 && line[length - 1] != '\n') Report(ConfigFinding::kLineCut, nullptr);
    if (std::strlen(line) < static_cast<std::size_t>(length)) Report(ConfigFinding::kLineHoldsNul, nullptr);
    LineTokenizer tokens(line);
    const char* first = tokens.Next();
    if (first == nullptr || first[0] == '#') return true;  // blank or comment
    switch (m_expected) {
        case Section::kComponents:
            if (!StartsSection(first, "components", ConfigFinding::kNotComponentsLine)) return false;
            ComponentsLine(tokens);
            return true;
        case Section::kData:
            if (!StartsSection(first, "data", ConfigFinding::kNotDataLine)) return false;
            DataLine(tokens);
            return true;
        case Section::kFilters: return FilterLine(first, tokens);
    }
    return true;
}

void Reader::ComponentsLine(LineTokenizer& tokens) {
    m_reading.componentsLine = m_reading.lineCount;
    m_expected = Section::kData;
    for (const char* name = tokens.Next(); name != nullptr; name = tokens.Next()) {
        const QmTraceComponentInfo* component = Component(name);
        if (component == nullptr) {
            Report(ConfigFinding::kUnknownComponent, name);
        } else {
            Select(component->id);
        }
    }
}

void Reader::DataLine(LineTokenizer& tokens) {
    m_reading.dataLine = m_reading.lineCount;
    m_expected = Section::kFilters;
    for (const char* name = tokens.Next(); name != nullptr; name = tokens.Next()) {
        QmTraceDataFieldInfo* field = Field(name);
        if (field == nullptr) {
            Report(ConfigFinding::kUnknownField, name);
        } else if (field->traced) {
            Report(ConfigFinding::kRepeatedField, name);
        } else if (m_orderCount < QM_DATA_FIELD_COUNT) {
            field->traced = true;
            // The row, not the row's stored id: the order must always name a
            // row of the table.
            m_tables.fieldOrder[m_orderCount++] = static_cast<unsigned int>(field - m_tables.fields) + 1;
        }
    }
}

bool Reader::FilterLine(const char* name, LineTokenizer& tokens) {
    QmTraceDataFieldInfo* field = Field(name);
    if (field == nullptr) {
        Report(ConfigFinding::kUnknownFilterField, name);
        return true;
    }
    // The operator must follow the name's own delimiter, so "User==alice"
    // is one unknown name and "User =alice" has none.
    char* rest = tokens.Rest();
    if (rest == nullptr) {
        Report(ConfigFinding::kNoFilterOperator, name);
        return true;
    }
    char* text = nullptr;
    const int filterOperator = ParseFilterOperator(rest, &text);
    if (filterOperator == QM_FILTER_NONE) {
        Report(ConfigFinding::kNoFilterOperator, name, text);
        return true;
    }
    text[std::strcspn(text, "\n")] = '\0';
    char* copy = CopyConfigText(text);
    // A filter that cannot be kept would let through records it was meant
    // to stop: refuse the configuration instead.
    if (copy == nullptr) return false;
    int& filterLine = m_filterLines[field - m_tables.fields];
    if (filterLine != 0) Report(ConfigFinding::kFilterReplaced, name, nullptr, 0, filterLine);
    filterLine = m_reading.lineCount;
    delete[] field->filterText;
    field->filterText = copy;
    field->filterOperator = filterOperator;
    field->filtered = true;
    Report(ConfigFinding::kFilterSet, name, copy, filterOperator);
    return true;
}

// The first entry of the name: a name given twice answers to the first only.
QmTraceComponentInfo* Reader::Component(const char* name) const {
    for (int i = 0; i < m_tables.componentCount; ++i) {
        const char* entryName = m_tables.components[i].name;
        if (entryName != nullptr && std::strcmp(entryName, name) == 0) return &m_tables.components[i];
    }
    return nullptr;
}

QmTraceDataFieldInfo* Reader::Field(const char* name) const {
    for (unsigned int i = 0; i < QM_DATA_FIELD_COUNT; ++i) {
        QmTraceDataFieldInfo& field = m_tables.fields[i];
        if (field.name != nullptr && std::strcmp(field.name, name) == 0) return &field;
    }
    return nullptr;
}

// Selection goes by id: naming a component selects every entry of its
// component number, naming a trace component the first entry of its id.
void Reader::Select(unsigned int id) const {
    const bool traceComponent = QmComponentNumber(id) != 0 && QmTraceComponentNumber(id) != 0;
    for (int i = 0; i < m_tables.componentCount; ++i) {
        QmTraceComponentInfo& entry = m_tables.components[i];
        if (entry.id == id) {
            entry.selected = true;
            if (traceComponent) return;
        } else if (id == (entry.id & QM_COMPONENT_MASK)) {
            entry.selected = true;
        }
    }
}

}  // namespace

char* CopyConfigText(const char* text) {
    const std::size_t size = std::strlen(text) + 1;
    char* copy = new (std::nothrow) char[size];
    if (copy != nullptr) std::memcpy(copy, text, size);
    return copy;
}

TraceConfigReading ReadTraceConfig(CQmFile& file, const TraceConfigTables& tables, ConfigFindingCallback onFinding,
                                   void* context) {
    return Reader(tables, onFinding, context).Read(file);
}

}  // namespace qm
