#include "jni/java_string_arguments.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace qm {

namespace {

// The whole text as a decimal integer within [low, high].
bool ReadSigned(const char* text, long long low, long long high, long long* value) {
    if (*text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || number < low || number > high) return false;
    *value = number;
    return true;
}

bool ReadUnsigned(const char* text, unsigned long long high, unsigned long long* value) {
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    // strtoull would take "-1" for the largest number.
    if (*p == '\0' || *p == '-') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long number = std::strtoull(p, &end, 10);
    if (errno != 0 || *end != '\0' || number > high) return false;
    *value = number;
    return true;
}

bool ReadDouble(const char* text, long double* value) {
    if (*text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const long double number = std::strtold(text, &end);
    if (errno == ERANGE || *end != '\0') return false;
    *value = number;
    return true;
}

void SignedRange(IntegerSize size, long long* low, long long* high) {
    switch (size) {
        case IntegerSize::kLong:
            *low = LONG_MIN;
            *high = LONG_MAX;
            break;
        case IntegerSize::kLongLong:
        case IntegerSize::kIntMax:
        case IntegerSize::kSize:
        case IntegerSize::kPtrDiff:
            *low = LLONG_MIN;
            *high = LLONG_MAX;
            break;
        default:
            *low = INT_MIN;
            *high = INT_MAX;
            break;  // what the C promotions pass
    }
}

unsigned long long UnsignedHigh(IntegerSize size) {
    switch (size) {
        case IntegerSize::kLong: return ULONG_MAX;
        case IntegerSize::kSize: return SIZE_MAX;
        case IntegerSize::kLongLong:
        case IntegerSize::kIntMax:
        case IntegerSize::kPtrDiff: return ULLONG_MAX;
        default: return UINT_MAX;
    }
}

}  // namespace

JavaStringArguments::JavaStringArguments(const char* const* texts, int count)
    : m_texts(texts), m_iCount(texts != nullptr && count > 0 ? count : 0) {}

const char* JavaStringArguments::Text(int index) const {
    if (index < 0 || index >= m_iCount || m_texts[index] == nullptr) return "";
    return m_texts[index];
}

int JavaStringArguments::Integer(int index) {
    long long value = 0;
    return ReadSigned(Text(index), INT_MIN, INT_MAX, &value) ? static_cast<int>(value) : 0;
}

std::size_t JavaStringArguments::Render(const PrintfConversion& c, char* area, std::size_t size,
                                        bool* callerText) {
    const char* text = Text(c.argument);
    *callerText = false;
    switch (c.kind) {
        case ValueKind::kSigned: {
            long long low = 0;
            long long high = 0;
            SignedRange(c.size, &low, &high);
            long long value = 0;
            if (ReadSigned(text, low, high, &value)) return RenderSigned(c, value, area, size);
            break;
        }
        case ValueKind::kUnsigned: {
            unsigned long long value = 0;
            if (ReadUnsigned(text, UnsignedHigh(c.size), &value)) return RenderUnsigned(c, value, area, size);
            break;
        }
        case ValueKind::kDouble:
        case ValueKind::kLongDouble: {
            long double value = 0;
            if (!ReadDouble(text, &value)) break;
            return c.kind == ValueKind::kDouble ? RenderDouble(c, static_cast<double>(value), area, size)
                                                : RenderLongDouble(c, value, area, size);
        }
        case ValueKind::kString:
        case ValueKind::kWideString:
            // Java strings arrive as bytes: "%ls" takes them as "%s" does.
            *callerText = true;
            return RenderText(c, text, true, area, size);
        case ValueKind::kCount:
        case ValueKind::kNone: area[0] = '\0'; return 0;
        default: break;  // characters and pointers: the text as it stands
    }
    // Not a number of the kind needed: the text itself, under the width and
    // alignment the conversion asks for; a precision of a number is no cut.
    *callerText = true;
    return RenderText(c, text, false, area, size);
}

}  // namespace qm
