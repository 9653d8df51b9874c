#include "finding_texts.h"

#include <cstdio>
#include <cstring>

namespace qm {
namespace tool {

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && !((x ^ y) == 0x20 && ((x | 0x20) >= 'a' && (x | 0x20) <= 'z'))) return false;
    }
    return true;
}

const char kStrayCarriageReturn[] = " (it ends with a carriage return that is not part of a line end)";

// Why a first token is not the keyword the section needs, when it nearly is.
std::string KeywordHint(const std::string& token, const std::string& keyword) {
    if (!token.empty() && token.back() == '\r') return kStrayCarriageReturn;
    if (SameIgnoringCase(token, keyword)) return " (keywords are case-sensitive)";
    return "";
}

const char* FieldName(const ReadingContext& context, const std::string& name) {
    for (unsigned int i = 0; i < QM_DATA_FIELD_COUNT; ++i) {
        const char* field = context.fields[i].name;
        if (field != nullptr && name == field) return field;
    }
    return nullptr;
}

bool IsComponentName(const ReadingContext& context, const std::string& name) {
    for (const QmTraceComponentInfo& entry : context.components) {
        if (entry.name != nullptr && name == entry.name) return true;
    }
    return false;
}

// A word on the likely slip behind a name that matches nothing.
std::string Hint(const ReadingContext& context, const std::string& name, bool component) {
    if (!name.empty() && name.back() == '\r') return kStrayCarriageReturn;
    if (name[0] == '#') return " (\"#\" starts a comment only as the first name on a line)";
    if (!component) {
        for (unsigned int i = 0; i < QM_DATA_FIELD_COUNT; ++i) {
            const char* field = context.fields[i].name;
            if (field != nullptr && SameIgnoringCase(field, name)) {
                return " (names are case-sensitive: " + Quote(field) + "?)";
            }
        }
        return "";
    }
    for (const QmTraceComponentInfo& entry : context.components) {
        if (entry.name != nullptr && SameIgnoringCase(entry.name, name)) {
            return " (names are case-sensitive: " + Quote(entry.name) + "?)";
        }
    }
    const std::size_t slash = name.find('/');
    if (slash != std::string::npos && IsComponentName(context, name.substr(0, slash))) {
        return " (" + Quote(name.substr(0, slash)) + " has no trace component " + Quote(name.substr(slash + 1)) +
               ")";
    }
    return "";
}

std::string UnknownFilterField(const ReadingContext& context, const std::string& name) {
    for (const char* op : {"==", "!="}) {
        const std::size_t at = name.find(op);
        if (at != std::string::npos && at > 0 && FieldName(context, name.substr(0, at)) != nullptr) {
            return "filter line ignored: no blank, tab, colon or comma between the field name " +
                   Quote(name.substr(0, at)) + " and \"" + op + "\"";
        }
    }
    if (name == "components" || name == "data") {
        return "filter line ignored: a file has one " + name +
               " line, and filter lines start with a data field name";
    }
    return "filter line ignored: " + Quote(name) + " matches no known field" + Hint(context, name, false);
}

std::string NoFilterOperator(const RecordedFinding& finding) {
    if (!finding.hasText) return "filter line ignored: nothing follows the field name " + Quote(finding.name);
    // The text starts where the operator was looked for.
    std::string found = finding.text.substr(0, finding.text.find('\n'));
    if (found.size() > 12) found = found.substr(0, 12) + "...";
    std::string why = "filter line ignored: no \"==\" or \"!=\" after the field name " + Quote(finding.name);
    why += found.empty() ? " (the line ends there)" : " (found " + Quote(found) + ")";
    if (!found.empty() && (found[0] == ':' || found[0] == ',')) {
        why += "; only blanks and tabs may stand between the name's delimiter and the operator";
    }
    return why;
}

bool OnDataLine(const ReadingContext& context, const std::string& name) {
    for (unsigned int i = 0; i < QM_DATA_FIELD_COUNT && context.fieldOrder[i] != 0; ++i) {
        if (name == context.fields[context.fieldOrder[i] - 1].name) return true;
    }
    return false;
}

// Notes on a filter read as written that is rarely what was meant.
void DescribeFilter(const RecordedFinding& finding, const ReadingContext& context,
                    std::vector<FindingText>* texts) {
    const std::string& value = finding.text;
    auto note = [&](const std::string& text) { texts->push_back({finding.line, FindingKind::kNote, text}); };
    if (value.empty()) {
        note(std::string("the filter text is empty: only ") +
             (finding.filterOperator == QM_FILTER_EQUAL ? "an empty" : "a non-empty") + " value of " +
             Quote(finding.name) + " passes");
    } else if (value[0] == ' ' || value[0] == '\t') {
        note("the filter text " + Quote(value) + " starts with a blank, which belongs to the text compared");
    }
    if (!value.empty() && value.back() == '\r') {
        note(
            "the filter text ends with a carriage return that is not part of a line end; "
            "it belongs to the text compared");
    }
    if (!OnDataLine(context, finding.name)) {
        note(Quote(finding.name) +
             " is not on the data line; its filter still applies whenever a program "
             "sets a value for it");
    }
}

}  // namespace

std::vector<FindingText> DescribeFinding(const RecordedFinding& finding, const ReadingContext& context) {
    std::vector<FindingText> texts;
    auto add = [&](FindingKind kind, const std::string& text) { texts.push_back({finding.line, kind, text}); };
    const std::string& name = finding.name;
    switch (finding.what) {
        case ConfigFinding::kLineCut:
            add(FindingKind::kNote, "the line is longer than " + std::to_string(kConfigLineAreaSize - 1) +
                                        " bytes; the reader skips the rest of it");
            break;
        case ConfigFinding::kLineHoldsNul:
            add(FindingKind::kNote, "the line holds a NUL byte; the reader ignores what follows it");
            break;
        case ConfigFinding::kNotComponentsLine:
            add(FindingKind::kRefusal,
                "the first line that is neither blank nor a comment must start with "
                "\"components\", not " +
                    Quote(name) + "; the file is refused" + KeywordHint(name, "components"));
            break;
        case ConfigFinding::kNotDataLine:
            add(FindingKind::kRefusal, "the line after the components line (line " +
                                           std::to_string(context.reading.componentsLine) +
                                           ") must start with \"data\", not " + Quote(name) +
                                           "; the file is refused" + KeywordHint(name, "data"));
            break;
        case ConfigFinding::kUnknownComponent:
            add(FindingKind::kIgnored,
                "component " + Quote(name) + " matches no loaded component; ignored" + Hint(context, name, true));
            break;
        case ConfigFinding::kUnknownField:
            add(FindingKind::kIgnored,
                "data field " + Quote(name) + " matches no known field; ignored" + Hint(context, name, false));
            break;
        case ConfigFinding::kRepeatedField:
            add(FindingKind::kIgnored, "data field " + Quote(name) + " is already listed; the repeat is ignored");
            break;
        case ConfigFinding::kUnknownFilterField:
            add(FindingKind::kIgnored, UnknownFilterField(context, name));
            break;
        case ConfigFinding::kNoFilterOperator: add(FindingKind::kIgnored, NoFilterOperator(finding)); break;
        case ConfigFinding::kFilterReplaced:
            add(FindingKind::kIgnored, "the filter for " + Quote(name) + " replaces the one on line " +
                                           std::to_string(finding.earlierLine) + ", which is ignored");
            break;
        case ConfigFinding::kFilterSet: DescribeFilter(finding, context, &texts); break;
    }
    return texts;
}

std::vector<FindingText> DescribeEndOfFile(const ReadingContext& context) {
    const TraceConfigReading& reading = context.reading;
    auto note = [](const char* text) { return std::vector<FindingText>{{0, FindingKind::kNote, text}}; };
    // The line reader yields no line at all from an empty file.
    if (reading.lineCount == 0) return note("no line could be read from the file: nothing is traced");
    if (reading.componentsLine == 0) return note("the file has no components line: nothing is traced");
    std::vector<FindingText> texts;
    if (reading.dataLine == 0) {
        texts.push_back({0, FindingKind::kNote, "the file ends before the data line: records carry no fields"});
    }
    bool any = false;
    for (const QmTraceComponentInfo& entry : context.components) any = any || entry.selected;
    if (!any) texts.push_back({0, FindingKind::kNote, "no component is selected: nothing is traced"});
    return texts;
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
