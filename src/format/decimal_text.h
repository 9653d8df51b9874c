// Decimal digits of an integer without snprintf: the log line prolog writes
// three numbers per line, and the C library's formatter costs more than the
// rest of the prolog together.
#pragma once

#include <cstddef>

namespace qm {

// Room for any 64-bit value with its sign.
constexpr std::size_t kDecimalTextSize = 21;

// Writes the digits of value to out (at least kDecimalTextSize bytes, no
// terminator) and returns how many; the same text as "%llu".
inline std::size_t WriteDecimal(unsigned long long value, char* out) {
    char reversed[kDecimalTextSize];
    std::size_t count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (std::size_t i = 0; i < count; ++i) out[i] = reversed[count - 1 - i];
    return count;
}

// The same as "%lld".
inline std::size_t WriteSignedDecimal(long long value, char* out) {
    if (value >= 0) return WriteDecimal(static_cast<unsigned long long>(value), out);
    out[0] = '-';
    // Negated as unsigned, so that the smallest value has a magnitude too.
    return 1 + WriteDecimal(0ULL - static_cast<unsigned long long>(value), out + 1);
}

// Hexadecimal digits, the same text as "%llx" (or "%llX" when upper).
inline std::size_t WriteHexDigits(unsigned long long value, bool upper, char* out) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char reversed[16];
    std::size_t count = 0;
    do {
        reversed[count++] = digits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    for (std::size_t i = 0; i < count; ++i) out[i] = reversed[count - 1 - i];
    return count;
}

}  // namespace qm
