#include "format/printf_conversion.h"

#include <cstring>

namespace qm {

namespace {

// Beyond any width or precision worth reading; larger values are clamped
// later anyway.
constexpr int kNumberCeiling = 1000000;
// Most arguments a format may name by position (the C library's own bound is
// no smaller); a larger "N$" is no conversion.
constexpr int kMaxPosition = 100;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int ReadNumber(const char** p) {
    int value = 0;
    while (IsDigit(**p)) {
        if (value < kNumberCeiling) value = value * 10 + (**p - '0');
        ++*p;
    }
    return value;
}

// "N$" right here: N, moving past it; else 0, not moving.
int ReadPosition(const char** p) {
    const char* q = *p;
    if (!IsDigit(*q) || *q == '0') return 0;
    const int number = ReadNumber(&q);
    if (*q != '$' || number > kMaxPosition) return 0;
    *p = q + 1;
    return number;
}

bool ReadLengthModifier(const char** p, IntegerSize* size, bool* longDouble, bool* wide) {
    *size = IntegerSize::kInt;
    *longDouble = false;
    *wide = false;
    switch (**p) {
        case 'h':
            ++*p;
            if (**p == 'h') {
                ++*p;
                *size = IntegerSize::kChar;
            } else {
                *size = IntegerSize::kShort;
            }
            return true;
        case 'l':
            ++*p;
            if (**p == 'l') {
                ++*p;
                *size = IntegerSize::kLongLong;
            } else {
                *size = IntegerSize::kLong;
                *wide = true;
            }
            return true;
        case 'q':
            ++*p;
            *size = IntegerSize::kLongLong;
            return true;
        case 'L':
            ++*p;
            *size = IntegerSize::kLongLong;
            *longDouble = true;
            return true;
        case 'j':
            ++*p;
            *size = IntegerSize::kIntMax;
            return true;
        case 'z':
            ++*p;
            *size = IntegerSize::kSize;
            return true;
        case 't':
            ++*p;
            *size = IntegerSize::kPtrDiff;
            return true;
        default: return true;
    }
}

ValueKind KindOf(char letter, bool longDouble, bool wide) {
    switch (letter) {
        case 'd':
        case 'i': return ValueKind::kSigned;
        case 'o':
        case 'u':
        case 'x':
        case 'X': return ValueKind::kUnsigned;
        case 'a':
        case 'A':
        case 'e':
        case 'E':
        case 'f':
        case 'F':
        case 'g':
        case 'G': return longDouble ? ValueKind::kLongDouble : ValueKind::kDouble;
        case 'c': return wide ? ValueKind::kWideChar : ValueKind::kChar;
        case 's': return wide ? ValueKind::kWideString : ValueKind::kString;
        case 'C': return ValueKind::kWideChar;
        case 'S': return ValueKind::kWideString;
        case 'p': return ValueKind::kPointer;
        case 'n': return ValueKind::kCount;
        default: return ValueKind::kNone;
    }
}

bool IsFlag(char c) {
    switch (c) {
        case '-':
        case '+':
        case ' ':
        case '#':
        case '0':
        case '\'': return true;
        default: return false;
    }
}

bool IsConversionLetter(char c) {
    // "%m" and "%%" take no argument; every other letter is one that takes one.
    return KindOf(c, false, false) != ValueKind::kNone || c == 'm' || c == '%';
}

// Parses the conversion after its "%"; false when it is none.
bool ParseConversion(const char** at, int* next, PrintfConversion* c) {
    const char* p = *at;
    const int position = ReadPosition(&p);
    while (IsFlag(*p)) {
        c->flags.Add(*p);
        ++p;
    }
    if (*p == '*') {
        ++p;
        const int widthPosition = ReadPosition(&p);
        c->widthArgument = widthPosition > 0 ? widthPosition - 1 : (*next)++;
    } else if (IsDigit(*p)) {
        c->width = ReadNumber(&p);
    }
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            ++p;
            const int precisionPosition = ReadPosition(&p);
            c->precisionArgument = precisionPosition > 0 ? precisionPosition - 1 : (*next)++;
        } else {
            c->precision = ReadNumber(&p);  // "." alone is precision 0
        }
    }
    bool longDouble = false;
    bool wide = false;
    ReadLengthModifier(&p, &c->size, &longDouble, &wide);
    c->letter = *p;
    if (!IsConversionLetter(c->letter)) return false;
    ++p;
    c->kind = KindOf(c->letter, longDouble, wide);
    if (c->kind != ValueKind::kNone) c->argument = position > 0 ? position - 1 : (*next)++;
    *at = p;
    return true;
}

}  // namespace

int ParsePrintfFormat(const char* format, FormatPieces* pieces) {
    int next = 0;
    int count = 0;
    if (format == nullptr) return 0;
    const char* literal = format;
    const char* p = format;
    while (*p != '\0') {
        if (*p != '%') {
            // Straight to the next conversion (or the end).
            const char* percent = std::strchr(p, '%');
            if (percent == nullptr) {
                p += std::strlen(p);
                break;
            }
            p = percent;
        }
        const char* after = p + 1;
        PrintfConversion conversion;
        int nextIfTaken = next;
        if (!ParseConversion(&after, &nextIfTaken, &conversion)) {
            ++p;  // stays part of the literal text
            continue;
        }
        if (p > literal) pieces->push_back({literal, static_cast<std::size_t>(p - literal), false, {}});
        next = nextIfTaken;
        for (int index : {conversion.argument, conversion.widthArgument, conversion.precisionArgument}) {
            if (index + 1 > count) count = index + 1;
        }
        pieces->push_back({p, static_cast<std::size_t>(after - p), true, conversion});
        p = after;
        literal = p;
    }
    if (p > literal) pieces->push_back({literal, static_cast<std::size_t>(p - literal), false, {}});
    return count;
}

}  // namespace qm
