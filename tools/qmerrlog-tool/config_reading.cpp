#include "config_reading.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "qm_file.h"
#include "qmerrlog/datafields.h"
#include "qmerrlog/tracedata.h"
#include "trace/filter_operator.h"
#include "trace/line_tokenizer.h"

namespace qm {
namespace tool {

namespace {

// The line reader's mode for a text file read line by line.
constexpr int kReadLinesMode = 3;

enum class Section { kComponents, kData, kFilters };

constexpr unsigned int kComponentNumberBits = 0xFF000000u;

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && !((x ^ y) == 0x20 && ((x | 0x20) >= 'a' && (x | 0x20) <= 'z'))) return false;
    }
    return true;
}

// Why a first token is not the keyword the section needs, when it nearly is.
std::string KeywordHint(const std::string& token, const std::string& keyword) {
    if (!token.empty() && token.back() == '\r') {
        return " (it ends with a carriage return that is not part of a line end)";
    }
    if (SameIgnoringCase(token, keyword)) return " (keywords are case-sensitive)";
    return "";
}

class Reader {
public:
    Reader(const std::vector<ComponentEntry>& components, const KNOWNDATAFIELDINFO* fields, int fieldCount,
           ConfigReading* out)
        : m_components(components), m_fields(fields), m_fieldCount(fieldCount), m_out(*out) {
        m_out.selected.assign(components.size(), false);
    }

    void Read(const ConfigSnapshot& snapshot);

private:
    // False when the file is refused at this line.
    bool Line(char* line, int length);
    bool ComponentsLine(const char* first, LineTokenizer& tokens);
    void Select(std::size_t index);
    bool DataLine(const char* first, LineTokenizer& tokens);
    void FilterLine(const char* first, LineTokenizer& tokens);
    void EndOfFile();

    int FieldId(const std::string& name) const;
    int ComponentIndex(const std::string& name) const;
    std::string Hint(const std::string& name, bool component) const;
    void Add(FindingKind kind, const std::string& text, int line = -1) {
        m_out.findings.push_back({line < 0 ? m_line : line, kind, text});
    }

    const std::vector<ComponentEntry>& m_components;
    const KNOWNDATAFIELDINFO* m_fields;
    int m_fieldCount;
    ConfigReading& m_out;
    Section m_expected = Section::kComponents;
    int m_line = 0;
};

void Reader::Read(const ConfigSnapshot& snapshot) {
    if (!snapshot.read) {
        m_out.verdict = ConfigReading::Verdict::kUnreadable;
        m_out.unreadableReason = snapshot.unreadableReason;
        return;
    }
    bool refused = false;
    ForEachConfigLine(snapshot.text, [&](int number, char* line, int length) {
        m_line = number;
        refused = !Line(line, length);
        return !refused;
    });
    if (refused) {
        m_out.verdict = ConfigReading::Verdict::kRefused;
    } else {
        EndOfFile();
    }
}

bool Reader::Line(char* line, int length) {
    if (length == kLineAreaSize - 1 && line[length - 1] != '\n') {
        Add(FindingKind::kNote, "the line is longer than " + std::to_string(kLineAreaSize - 1) +
                                    " bytes; the reader skips the rest of it");
    }
    if (std::strlen(line) < static_cast<std::size_t>(length)) {
        Add(FindingKind::kNote, "the line holds a NUL byte; the reader ignores what follows it");
    }
    LineTokenizer tokens(line);
    const char* first = tokens.Next();
    if (first == nullptr || first[0] == '#') return true;  // blank or comment
    switch (m_expected) {
        case Section::kComponents:
            return ComponentsLine(first, tokens);
        case Section::kData:
            return DataLine(first, tokens);
        case Section::kFilters:
            FilterLine(first, tokens);
            return true;
    }
    return true;
}

bool Reader::ComponentsLine(const char* first, LineTokenizer& tokens) {
    if (std::strcmp(first, "components") != 0) {
        Add(FindingKind::kRefusal, "the first line that is neither blank nor a comment must start with "
                                   "\"components\", not " + Quote(first) + "; the file is refused" +
                                   KeywordHint(first, "components"));
        return false;
    }
    m_out.componentsLine = m_line;
    m_expected = Section::kData;
    for (const char* name = tokens.Next(); name != nullptr; name = tokens.Next()) {
        const int index = ComponentIndex(name);
        if (index < 0) {
            Add(FindingKind::kIgnored, "component " + Quote(name) + " matches no loaded component; ignored" +
                                           Hint(name, true));
            continue;
        }
        Select(static_cast<std::size_t>(index));
    }
    return true;
}

// The reader selects by id: a trace component name selects the first entry
// of its id, a component name every entry of its component number. Entries
// whose ids are unknown go by the list's own structure.
void Reader::Select(std::size_t index) {
    const ComponentEntry& named = m_components[index];
    if (named.owner >= 0) {
        std::size_t chosen = index;
        for (std::size_t i = 0; named.idKnown && i < m_components.size(); ++i) {
            if (m_components[i].idKnown && m_components[i].id == named.id) {
                chosen = i;
                break;
            }
        }
        m_out.selected[chosen] = true;
        return;
    }
    m_out.selected[index] = true;
    for (std::size_t i = index + 1; i < m_components.size() && m_components[i].owner == static_cast<int>(index); ++i) {
        m_out.selected[i] = true;
    }
    for (std::size_t i = 0; named.idKnown && i < m_components.size(); ++i) {
        const ComponentEntry& entry = m_components[i];
        if (entry.idKnown && (entry.id & kComponentNumberBits) == named.id) m_out.selected[i] = true;
    }
}

bool Reader::DataLine(const char* first, LineTokenizer& tokens) {
    if (std::strcmp(first, "data") != 0) {
        Add(FindingKind::kRefusal, "the line after the components line (line " +
                                       std::to_string(m_out.componentsLine) + ") must start with \"data\", not " +
                                       Quote(first) + "; the file is refused" + KeywordHint(first, "data"));
        return false;
    }
    m_out.dataLine = m_line;
    m_expected = Section::kFilters;
    for (const char* name = tokens.Next(); name != nullptr; name = tokens.Next()) {
        const int id = FieldId(name);
        if (id < 0) {
            Add(FindingKind::kIgnored, "data field " + Quote(name) + " matches no known field; ignored" +
                                           Hint(name, false));
        } else if (std::find(m_out.fieldOrder.begin(), m_out.fieldOrder.end(), static_cast<unsigned int>(id)) !=
                   m_out.fieldOrder.end()) {
            Add(FindingKind::kIgnored, "data field " + Quote(name) + " is already listed; the repeat is ignored");
        } else {
            m_out.fieldOrder.push_back(static_cast<unsigned int>(id));
        }
    }
    return true;
}

void Reader::FilterLine(const char* first, LineTokenizer& tokens) {
    const std::string name(first);
    const int id = FieldId(name);
    if (id < 0) {
        for (const char* op : {"==", "!="}) {
            const std::size_t at = name.find(op);
            if (at != std::string::npos && at > 0 && FieldId(name.substr(0, at)) >= 0) {
                Add(FindingKind::kIgnored, "filter line ignored: no blank, tab, colon or comma between the field name " +
                                               Quote(name.substr(0, at)) + " and \"" + op + "\"");
                return;
            }
        }
        if (name == "components" || name == "data") {
            Add(FindingKind::kIgnored, "filter line ignored: a file has one " + name +
                                           " line, and filter lines start with a data field name");
            return;
        }
        Add(FindingKind::kIgnored, "filter line ignored: " + Quote(name) + " matches no known field" +
                                       Hint(name, false));
        return;
    }
    // The operator must follow the delimiter that ended the name.
    char* rest = tokens.Rest();
    if (rest == nullptr) {
        Add(FindingKind::kIgnored, "filter line ignored: nothing follows the field name " + Quote(name));
        return;
    }
    char* text = nullptr;
    const int filterOperator = ParseFilterOperator(rest, &text);
    if (filterOperator == QM_FILTER_NONE) {
        // text points where the operator was looked for.
        std::string found(text, std::strcspn(text, "\n"));
        if (found.size() > 12) found = found.substr(0, 12) + "...";
        std::string why = "filter line ignored: no \"==\" or \"!=\" after the field name " + Quote(name);
        why += found.empty() ? " (the line ends there)" : " (found " + Quote(found) + ")";
        if (text[0] == ':' || text[0] == ',') {
            why += "; only blanks and tabs may stand between the name's delimiter and the operator";
        }
        Add(FindingKind::kIgnored, why);
        return;
    }
    text[std::strcspn(text, "\n")] = '\0';
    const FilterSetting setting{static_cast<unsigned int>(id), filterOperator, text, m_line};

    const auto earlier = m_out.filters.find(setting.field);
    if (earlier != m_out.filters.end()) {
        Add(FindingKind::kIgnored, "the filter for " + Quote(name) + " replaces the one on line " +
                                       std::to_string(earlier->second.line) + ", which is ignored");
    }
    m_out.filters[setting.field] = setting;

    const std::string& value = setting.text;
    if (value.empty()) {
        Add(FindingKind::kNote, std::string("the filter text is empty: only ") +
                                    (filterOperator == QM_FILTER_EQUAL ? "an empty" : "a non-empty") +
                                    " value of " + Quote(name) + " passes");
    } else if (value[0] == ' ' || value[0] == '\t') {
        Add(FindingKind::kNote, "the filter text " + Quote(value) +
                                    " starts with a blank, which belongs to the text compared");
    }
    if (!value.empty() && value.back() == '\r') {
        Add(FindingKind::kNote, "the filter text ends with a carriage return that is not part of a line end; "
                                "it belongs to the text compared");
    }
    if (std::find(m_out.fieldOrder.begin(), m_out.fieldOrder.end(), setting.field) == m_out.fieldOrder.end()) {
        Add(FindingKind::kNote, Quote(name) + " is not on the data line; its filter still applies whenever a "
                                              "program sets a value for it");
    }
}

void Reader::EndOfFile() {
    if (m_line == 0) {
        // The reader accepts an empty file: it yields no line at all.
        Add(FindingKind::kNote, "no line could be read from the file: nothing is traced", 0);
        return;
    }
    if (m_out.componentsLine == 0) {
        Add(FindingKind::kNote, "the file has no components line: nothing is traced", 0);
        return;
    }
    if (m_out.dataLine == 0) {
        Add(FindingKind::kNote, "the file ends before the data line: records carry no fields", 0);
    }
    bool any = false;
    for (bool selected : m_out.selected) any = any || selected;
    if (!any) Add(FindingKind::kNote, "no component is selected: nothing is traced", 0);
}

int Reader::FieldId(const std::string& name) const {
    for (int i = 0; i < m_fieldCount; ++i) {
        if (m_fields[i].name != nullptr && name == m_fields[i].name) return i;
    }
    return -1;
}

int Reader::ComponentIndex(const std::string& name) const {
    for (std::size_t i = 0; i < m_components.size(); ++i) {
        if (m_components[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

// A word on the likely slip behind a name that matches nothing.
std::string Reader::Hint(const std::string& name, bool component) const {
    if (!name.empty() && name.back() == '\r') {
        return " (it ends with a carriage return that is not part of a line end)";
    }
    if (name[0] == '#') return " (\"#\" starts a comment only as the first name on a line)";
    if (component) {
        for (const ComponentEntry& entry : m_components) {
            if (SameIgnoringCase(entry.name, name)) return " (names are case-sensitive: " + Quote(entry.name) + "?)";
        }
        const std::size_t slash = name.find('/');
        if (slash != std::string::npos && ComponentIndex(name.substr(0, slash)) >= 0) {
            return " (" + Quote(name.substr(0, slash)) + " has no trace component " + Quote(name.substr(slash + 1)) + ")";
        }
        return "";
    }
    for (int i = 0; i < m_fieldCount; ++i) {
        if (m_fields[i].name != nullptr && SameIgnoringCase(m_fields[i].name, name)) {
            return " (names are case-sensitive: " + Quote(m_fields[i].name) + "?)";
        }
    }
    return "";
}

}  // namespace

ConfigSnapshot ReadConfigSnapshot(const std::string& path) {
    ConfigSnapshot snapshot;
    CQmFile file;
    errno = 0;
    if (file.OpenFile(path.c_str(), kReadLinesMode)) {
        snapshot.read = true;
        snapshot.text = file.Text();
        return snapshot;
    }
    switch (file.LastRefusal()) {
        case CQmFile::kNotRegularFile:
            snapshot.unreadableReason = "not a regular file";
            break;
        case CQmFile::kTooLarge:
            snapshot.unreadableReason = "larger than " + std::to_string(CQmFile::kMaxFileBytes / (1024 * 1024)) + " MiB";
            break;
        default:
            snapshot.unreadableReason = errno != 0 ? std::strerror(errno) : "it cannot be opened";
            break;
    }
    return snapshot;
}

void ForEachConfigLine(const std::string& text, const std::function<bool(int, char*, int)>& onLine) {
    CQmFile file;
    file.OpenText(text);
    char line[kLineAreaSize];
    int length = 0;
    for (int number = 1; (length = file.ReadLine(line, kLineAreaSize)) > 0; ++number) {
        if (!onLine(number, line, length)) break;
    }
}

int ConfigReading::IgnoredCount() const {
    int count = 0;
    for (const Finding& finding : findings) count += finding.kind == FindingKind::kIgnored ? 1 : 0;
    return count;
}

ConfigReading ReadTraceConfig(const ConfigSnapshot& snapshot, const std::vector<ComponentEntry>& components,
                              const KNOWNDATAFIELDINFO* fields, int fieldCount) {
    ConfigReading reading;
    Reader(components, fields, fieldCount, &reading).Read(snapshot);
    return reading;
}

std::string Quote(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (byte < 0x20 || byte == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

}  // namespace tool
}  // namespace qm
