#include "component_list.h"

#include "trace/line_tokenizer.h"

namespace qm {
namespace tool {

namespace {

const char kComponentSeparator[] = " | ";
const char kTraceListStart[] = " : ";
const char kNameEnd[] = " ; ";

// An entry starts with its name and " ; "; a name holds no " : ", which
// would be the start of a trace component list.
bool CanStartEntry(const std::string& piece) {
    const std::size_t end = piece.find(kNameEnd);
    return end != std::string::npos &&
           piece.substr(0, end).find(kTraceListStart) == std::string::npos;
}

// Splits at every separator, then joins back the pieces that cannot start an
// entry: those separators belonged to a description.
std::vector<std::string> SplitEntries(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t found = text.find(separator, start);
        const std::string piece = text.substr(start, found == std::string::npos ? std::string::npos : found - start);
        if (!pieces.empty() && !CanStartEntry(piece)) {
            pieces.back() += separator + piece;
        } else {
            pieces.push_back(piece);
        }
        if (found == std::string::npos) break;
        start = found + separator.size();
    }
    return pieces;
}

// "name ; description"; a piece without " ; " is all name.
void SplitNameAndDescription(const std::string& piece, std::string* name, std::string* description) {
    const std::size_t end = piece.find(kNameEnd);
    if (end == std::string::npos) {
        *name = piece;
        description->clear();
        return;
    }
    *name = piece.substr(0, end);
    *description = piece.substr(end + sizeof kNameEnd - 1);
}

}  // namespace

std::vector<ComponentEntry> ParseComponentList(const char* text) {
    std::vector<ComponentEntry> entries;
    if (text == nullptr || *text == '\0') return entries;
    for (const std::string& component : SplitEntries(text, kComponentSeparator)) {
        ComponentEntry entry;
        std::string rest;
        SplitNameAndDescription(component, &entry.name, &rest);
        // The trace list starts at the first " : " that a trace component's
        // "name ; " follows; an earlier one belongs to the description.
        std::size_t traces = rest.find(kTraceListStart);
        while (traces != std::string::npos && !CanStartEntry(rest.substr(traces + sizeof kTraceListStart - 1))) {
            traces = rest.find(kTraceListStart, traces + 1);
        }
        entry.description = rest.substr(0, traces);
        const int owner = static_cast<int>(entries.size());
        entries.push_back(entry);
        if (traces == std::string::npos) continue;
        for (const std::string& piece : SplitEntries(rest.substr(traces + sizeof kTraceListStart - 1), "&")) {
            ComponentEntry trace;
            SplitNameAndDescription(piece, &trace.name, &trace.description);
            trace.name = entries[static_cast<std::size_t>(owner)].name + "/" + trace.name;
            trace.owner = owner;
            entries.push_back(trace);
        }
    }
    return entries;
}

bool IsSingleToken(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name) {
        if (c == '\0' || LineTokenizer::IsDelimiter(c)) return false;
    }
    return true;
}

}  // namespace tool
}  // namespace qm
