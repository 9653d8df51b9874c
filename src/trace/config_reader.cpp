// Making a record a master: the logger's tables are copied in, then the trace
// configuration file selects components, fields and filters.
#include <cstring>
#include <new>

#include "qm_file.h"
#include "qmerrlog/tracedata.h"
#include "trace/filter_operator.h"
#include "trace/line_tokenizer.h"

namespace {

// The line reader's open mode for a text file read line by line.
constexpr int kReadLinesMode = 3;
// Longest line handed to the reader, terminator included.
constexpr int kLineAreaSize = 8092;

char* CopyText(const char* text) {
    const std::size_t size = std::strlen(text) + 1;
    char* copy = new (std::nothrow) char[size];
    if (copy != nullptr) std::memcpy(copy, text, size);
    return copy;
}

enum class Section { kComponents, kData, kFilters };

}  // namespace

bool CQmTraceData::SetConfiguration(int format, const char* separator, const char* fileName,
                                    int componentCount, QmTraceComponentInfo* components,
                                    QmTraceDataFieldInfo* fields, bool useLocalTime) {
    if (components == nullptr || fields == nullptr) return false;

    // A record configured twice must not keep texts or areas of its past.
    ReleaseOwnedConfiguration();
    ReleaseHeapValues();
    std::memset(m_uFieldOrder, 0, sizeof m_uFieldOrder);

    // A former copy only borrowed these: forget them, never free them.
    m_pszSeparator = nullptr;
    m_pComponents = nullptr;
    m_iComponentCount = 0;

    m_bOwnsConfiguration = true;
    m_iTraceFormat = format;
    m_bUseLocalTime = useLocalTime;
    if (separator != nullptr) {
        m_pszSeparator = CopyText(separator);
        if (m_pszSeparator == nullptr) return false;
    }

    m_bConfigured = true;
    if (componentCount > 0) {
        m_pComponents = new (std::nothrow) QmTraceComponentInfo[componentCount];
        if (m_pComponents == nullptr) return false;
        std::memcpy(m_pComponents, components,
                    sizeof(QmTraceComponentInfo) * static_cast<std::size_t>(componentCount));
        m_iComponentCount = componentCount;
    }

    // Only what identifies a field is taken over: a master starts with no
    // field traced or filtered and holds no values.
    for (unsigned int i = 0; i < QM_DATA_FIELD_COUNT; ++i) {
        QmTraceDataFieldInfo& field = m_fields[i];
        field.traced = false;
        field.filtered = false;
        field.id = fields[i].id;
        field.name = fields[i].name;
        field.width = fields[i].width;
        field.filterText = nullptr;
        field.filterOperator = QM_FILTER_NONE;
        field.value = nullptr;
        field.valueOnHeap = false;
        field.inlineValue[0] = '\0';
    }
    return ReadConfigFile(fileName);
}

bool CQmTraceData::ReadConfigFile(const char* fileName) {
    CQmFile file;
    if (!file.OpenFile(fileName, kReadLinesMode)) {
        file.CloseFile();
        return false;
    }

    Section expected = Section::kComponents;
    unsigned int orderCount = 0;
    char line[kLineAreaSize];
    bool ok = true;
    while (ok && file.ReadLine(line, kLineAreaSize) > 0) {
        qm::LineTokenizer tokens(line);
        const char* first = tokens.Next();
        if (first == nullptr || first[0] == '#') continue;

        switch (expected) {
            case Section::kComponents:
                if (std::strcmp(first, "components") != 0) {
                    ok = false;
                    break;
                }
                for (const char* name = tokens.Next(); name != nullptr; name = tokens.Next()) {
                    const QmTraceComponentInfo* component = GetComponentInfo(name);
                    if (component != nullptr) MarkComponentTraced(component->id);
                }
                expected = Section::kData;
                break;

            case Section::kData:
                if (std::strcmp(first, "data") != 0) {
                    ok = false;
                    break;
                }
                for (const char* name = tokens.Next(); name != nullptr; name = tokens.Next()) {
                    QmTraceDataFieldInfo* field = GetDataFieldInfo(name);
                    if (field == nullptr || field->traced || orderCount >= QM_DATA_FIELD_COUNT) {
                        continue;
                    }
                    field->traced = true;
                    // The slot's index, not its stored id: the order must
                    // always name a slot of this record.
                    m_uFieldOrder[orderCount++] = static_cast<unsigned int>(field - m_fields) + 1;
                }
                expected = Section::kFilters;
                break;

            case Section::kFilters: {
                QmTraceDataFieldInfo* field = GetDataFieldInfo(first);
                // The operator must follow the name's own delimiter, so
                // "User==alice" is one unknown name and "User =alice" has none.
                char* rest = tokens.Rest();
                if (field == nullptr || rest == nullptr) break;
                char* text = nullptr;
                const int filterOperator = qm::ParseFilterOperator(rest, &text);
                if (filterOperator == QM_FILTER_NONE) break;
                char* lineFeed = std::strchr(text, '\n');
                if (lineFeed != nullptr) *lineFeed = '\0';
                char* copy = CopyText(text);
                // A filter that cannot be kept would let through records it
                // was meant to stop: refuse the configuration instead.
                if (copy == nullptr) {
                    ok = false;
                    break;
                }
                delete[] field->filterText;
                field->filterText = copy;
                field->filterOperator = filterOperator;
                field->filtered = true;
                break;
            }
        }
    }
    file.CloseFile();
    return ok;
}
