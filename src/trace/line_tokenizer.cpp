#include "trace/line_tokenizer.h"

namespace qm {

bool LineTokenizer::IsDelimiter(char c) {
    return c == ':' || c == ',' || c == ' ' || c == '\t' || c == '\n';
}

char* LineTokenizer::Next() {
    if (m_pNext == nullptr) return nullptr;
    char* start = m_pNext;
    while (*start != '\0' && IsDelimiter(*start)) ++start;
    if (*start == '\0') {
        m_pNext = nullptr;
        return nullptr;
    }
    char* end = start;
    while (*end != '\0' && !IsDelimiter(*end)) ++end;
    if (*end == '\0') {
        m_pNext = nullptr;
    } else {
        *end = '\0';
        m_pNext = end + 1;
    }
    return start;
}

}  // namespace qm
