#include "format/plain_printf.h"

#include <cstring>
#include <type_traits>

#include "format/decimal_text.h"

namespace qm {

namespace {

// Widths above this go to the C library: they are rare, and the check keeps
// the arithmetic below far from any overflow.
constexpr std::size_t kMaxPlainWidth = 4096;

// The text being built; it stops taking bytes once one does not fit.
class PlainText {
public:
    PlainText(char* out, std::size_t size) : m_out(out), m_size(size), m_used(0), m_fits(size > 0) {}

    void Append(const char* text, std::size_t length) {
        if (!m_fits || length >= m_size - m_used) {
            m_fits = false;
            return;
        }
        std::memcpy(m_out + m_used, text, length);
        m_used += length;
    }
    // A value under a width: spaces before it, or after it with the "-" flag.
    void AppendPadded(const char* text, std::size_t length, std::size_t width, bool left) {
        const std::size_t pad = width > length ? width - length : 0;
        if (!left) AppendSpaces(pad);
        Append(text, length);
        if (left) AppendSpaces(pad);
    }
    int Finish() {
        if (!m_fits) return -1;
        m_out[m_used] = '\0';
        return static_cast<int>(m_used);
    }

private:
    void AppendSpaces(std::size_t count) {
        if (count == 0) return;
        if (!m_fits || count >= m_size - m_used) {
            m_fits = false;
            return;
        }
        std::memset(m_out + m_used, ' ', count);
        m_used += count;
    }

    char* m_out;
    std::size_t m_size;
    std::size_t m_used;
    bool m_fits;
};

enum class Length {
    kInt,
    kLong,
    kLongLong,
    kSize
};

long long SignedArgument(Length length, std::va_list& args) {
    switch (length) {
        case Length::kLong: return va_arg(args, long);
        case Length::kLongLong: return va_arg(args, long long);
        case Length::kSize: return va_arg(args, std::make_signed<std::size_t>::type);
        default: return va_arg(args, int);
    }
}

unsigned long long UnsignedArgument(Length length, std::va_list& args) {
    switch (length) {
        case Length::kLong: return va_arg(args, unsigned long);
        case Length::kLongLong: return va_arg(args, unsigned long long);
        case Length::kSize: return va_arg(args, std::size_t);
        default: return va_arg(args, unsigned int);
    }
}

int FormatPlainPrintfFrom(char* out, std::size_t size, const char* format, std::va_list& args) {
    PlainText text(out, size);
    const char* p = format;
    while (*p != '\0') {
        const char* percent = std::strchr(p, '%');
        if (percent == nullptr) {
            text.Append(p, std::strlen(p));
            break;
        }
        text.Append(p, static_cast<std::size_t>(percent - p));
        p = percent + 1;
        if (*p == '%') {
            text.Append("%", 1);
            ++p;
            continue;
        }
        const bool left = *p == '-';
        if (left) ++p;
        std::size_t width = 0;
        while (*p >= '0' && *p <= '9') {
            // A leading zero is the "0" flag, which is not a plain one.
            if (width == 0 && *p == '0') return -1;
            width = width * 10 + static_cast<std::size_t>(*p - '0');
            if (width > kMaxPlainWidth) return -1;
            ++p;
        }
        Length length = Length::kInt;
        if (*p == 'l') {
            ++p;
            length = Length::kLong;
            if (*p == 'l') {
                ++p;
                length = Length::kLongLong;
            }
        } else if (*p == 'z') {
            ++p;
            length = Length::kSize;
        }
        char digits[24];
        switch (*p) {
            case 'd':
            case 'i': {
                const std::size_t n = WriteSignedDecimal(SignedArgument(length, args), digits);
                text.AppendPadded(digits, n, width, left);
                break;
            }
            case 'u': {
                const std::size_t n = WriteDecimal(UnsignedArgument(length, args), digits);
                text.AppendPadded(digits, n, width, left);
                break;
            }
            case 'x':
            case 'X': {
                const std::size_t n = WriteHexDigits(UnsignedArgument(length, args), *p == 'X', digits);
                text.AppendPadded(digits, n, width, left);
                break;
            }
            case 's': {
                // "%ls" is a wide text: the C library's.
                if (length != Length::kInt) return -1;
                const char* value = va_arg(args, const char*);
                if (value == nullptr) value = "(null)";
                text.AppendPadded(value, std::strlen(value), width, left);
                break;
            }
            case 'c': {
                if (length != Length::kInt) return -1;
                const char value = static_cast<char>(va_arg(args, int));
                text.AppendPadded(&value, 1, width, left);
                break;
            }
            default: return -1;
        }
        ++p;
    }
    return text.Finish();
}

}  // namespace

int FormatPlainPrintf(char* out, std::size_t size, const char* format, std::va_list arguments) {
    // A local list can be passed on by reference whatever va_list is.
    std::va_list args;
    va_copy(args, arguments);
    const int length = FormatPlainPrintfFrom(out, size, format, args);
    va_end(args);
    return length;
}

}  // namespace qm
