#include "format/conversion_formatter.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <type_traits>

#include "format/bounded_length.h"
#include "format/control_escape.h"
#include "format/decimal_text.h"

namespace qm {

namespace {

// One conversion alone: "%", flags, width, precision, length, letter.
class OneConversionFormat {
public:
    OneConversionFormat(const PrintfConversion& c, const char* flags, bool keepPrecision, const char* length,
                        char letter) {
        std::size_t n = 0;
        m_text[n++] = '%';
        for (const char* f = flags; *f != '\0'; ++f) {
            if (c.flags.Has(*f)) m_text[n++] = *f;
        }
        if (c.width >= 0) n += WriteDecimal(static_cast<unsigned int>(c.width), m_text + n);
        if (keepPrecision && c.precision >= 0) {
            m_text[n++] = '.';
            n += WriteDecimal(static_cast<unsigned int>(c.precision), m_text + n);
        }
        for (const char* l = length; *l != '\0'; ++l) m_text[n++] = *l;
        m_text[n++] = letter;
        m_text[n] = '\0';
    }
    const char* get() const { return m_text; }

private:
    char m_text[64];
};

// No flag but "-": the value is written as it is, under its width.
bool AlignedAtMost(const PrintfConversion& c) {
    for (const char* f = c.flags.text; *f != '\0'; ++f) {
        if (*f != '-') return false;
    }
    return true;
}

// What snprintf(area, size, "%*s") keeps of text under the width, "-" flag
// for left alignment: the same bytes, the same length.
std::size_t KeepPadded(const PrintfConversion& c, const char* text, std::size_t length, char* area,
                       std::size_t size) {
    const std::size_t width = c.width > 0 ? static_cast<std::size_t>(c.width) : 0;
    const std::size_t pad = width > length ? width - length : 0;
    const std::size_t keep = length + pad < size ? length + pad : size - 1;
    const bool left = c.flags.Has('-');
    std::size_t used = 0;
    const auto put = [&](const char* bytes, std::size_t count) {
        const std::size_t n = count < keep - used ? count : keep - used;
        std::memcpy(area + used, bytes, n);
        used += n;
    };
    const auto spaces = [&](std::size_t count) {
        const std::size_t n = count < keep - used ? count : keep - used;
        std::memset(area + used, ' ', n);
        used += n;
    };
    if (!left) spaces(pad);
    put(text, length);
    if (left) spaces(pad);
    area[used] = '\0';
    return used;
}

// snprintf's result as the length kept in area; an error keeps nothing.
std::size_t Kept(int produced, char* area, std::size_t size) {
    if (produced < 0) {
        area[0] = '\0';
        return 0;
    }
    return static_cast<std::size_t>(produced) < size ? static_cast<std::size_t>(produced) : size - 1;
}

template <typename Value>
std::size_t Print(const OneConversionFormat& format, Value value, char* area, std::size_t size) {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    return Kept(std::snprintf(area, size, format.get(), value), area, size);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

constexpr char kNumberFlags[] = "-+ #0'";
constexpr char kAlignFlag[] = "-";

int Clamp(long long value) {
    return value > kMaxConversionWidth ? kMaxConversionWidth : static_cast<int>(value);
}

}  // namespace

std::size_t RenderSigned(const PrintfConversion& c, long long value, char* area, std::size_t size) {
    switch (c.size) {
        case IntegerSize::kChar: value = static_cast<signed char>(value); break;
        case IntegerSize::kShort: value = static_cast<short>(value); break;
        case IntegerSize::kInt: value = static_cast<int>(value); break;
        case IntegerSize::kLong: value = static_cast<long>(value); break;
        case IntegerSize::kSize: value = static_cast<std::make_signed<std::size_t>::type>(value); break;
        case IntegerSize::kPtrDiff: value = static_cast<std::ptrdiff_t>(value); break;
        default: break;
    }
    if (c.precision < 0 && AlignedAtMost(c)) {
        char digits[kDecimalTextSize];
        return KeepPadded(c, digits, WriteSignedDecimal(value, digits), area, size);
    }
    return Print(OneConversionFormat(c, kNumberFlags, true, "ll", c.letter), value, area, size);
}

std::size_t RenderUnsigned(const PrintfConversion& c, unsigned long long value, char* area, std::size_t size) {
    switch (c.size) {
        case IntegerSize::kChar: value = static_cast<unsigned char>(value); break;
        case IntegerSize::kShort: value = static_cast<unsigned short>(value); break;
        case IntegerSize::kInt: value = static_cast<unsigned int>(value); break;
        case IntegerSize::kLong: value = static_cast<unsigned long>(value); break;
        case IntegerSize::kSize: value = static_cast<std::size_t>(value); break;
        case IntegerSize::kPtrDiff: value = static_cast<std::make_unsigned<std::ptrdiff_t>::type>(value); break;
        default: break;
    }
    if (c.precision < 0 && AlignedAtMost(c) && c.letter != 'o') {
        char digits[kDecimalTextSize];
        const std::size_t length =
            c.letter == 'u' ? WriteDecimal(value, digits) : WriteHexDigits(value, c.letter == 'X', digits);
        return KeepPadded(c, digits, length, area, size);
    }
    return Print(OneConversionFormat(c, kNumberFlags, true, "ll", c.letter), value, area, size);
}

std::size_t RenderDouble(const PrintfConversion& c, double value, char* area, std::size_t size) {
    return Print(OneConversionFormat(c, kNumberFlags, true, "", c.letter), value, area, size);
}

std::size_t RenderLongDouble(const PrintfConversion& c, long double value, char* area, std::size_t size) {
    return Print(OneConversionFormat(c, kNumberFlags, true, "L", c.letter), value, area, size);
}

std::size_t RenderPointer(const PrintfConversion& c, const void* value, char* area, std::size_t size) {
    return Print(OneConversionFormat(c, kAlignFlag, false, "", 'p'), value, area, size);
}

std::size_t RenderWide(const PrintfConversion& c, const wchar_t* text, char* area, std::size_t size) {
    if (text == nullptr) text = L"(null)";
    return Print(OneConversionFormat(c, kAlignFlag, true, "l", 's'), text, area, size);
}

std::size_t RenderWideChar(const PrintfConversion& c, unsigned long value, char* area, std::size_t size) {
    return Print(OneConversionFormat(c, kAlignFlag, false, "l", 'c'), static_cast<std::wint_t>(value), area, size);
}

std::size_t RenderText(const PrintfConversion& c, const char* text, bool keepPrecision, char* area,
                       std::size_t size) {
    if (text == nullptr) text = "(null)";
    // "%.Ns" reads at most N bytes: the text need not end within reach.
    const std::size_t length = keepPrecision && c.precision >= 0
                                   ? BoundedLength(text, static_cast<std::size_t>(c.precision))
                                   : std::strlen(text);
    return KeepPadded(c, text, length, area, size);
}

namespace {

template <typename Text>
void FormatPiecesInto(const qm::FormatPieces& pieces, ConversionArguments* arguments, EscapeTexts escape,
                      std::size_t limit, Text* out) {
    const int callerErrno = errno;
    char area[kMaxConversionWidth + 1];
    const auto append = [&](const char* text, std::size_t length, bool callerText) {
        if (callerText && HasControlCharacter(text, length)) {
            AppendEscaped(out, text, length, limit);
            return;
        }
        const std::size_t room = limit > out->size() ? limit - out->size() : 0;
        out->append(text, length < room ? length : room);
    };
    const bool formatIsCallers = escape == EscapeTexts::kEverything;

    for (const FormatPiece& piece : pieces) {
        if (out->size() >= limit) break;
        if (!piece.isConversion) {
            append(piece.text, piece.length, formatIsCallers);
            continue;
        }
        PrintfConversion c = piece.conversion;
        if (c.widthArgument >= 0) {
            const long long width = arguments->Integer(c.widthArgument);
            // A negative width is the "-" flag and its magnitude.
            if (width < 0) c.flags.Add('-');
            c.width = Clamp(width < 0 ? -width : width);
        } else if (c.width > kMaxConversionWidth) {
            c.width = kMaxConversionWidth;
        }
        if (c.precisionArgument >= 0) {
            const long long precision = arguments->Integer(c.precisionArgument);
            c.precision = precision < 0 ? -1 : Clamp(precision);
        } else if (c.precision > kMaxConversionWidth) {
            c.precision = kMaxConversionWidth;
        }

        std::size_t length = 0;
        bool callerText = false;
        if (c.letter == '%') {
            append("%", 1, false);
            continue;
        }
        if (c.letter == 'm') {
            length = RenderText(c, std::strerror(callerErrno), true, area, sizeof area);
        } else {
            length = arguments->Render(c, area, sizeof area, &callerText);
        }
        append(area, length, callerText || formatIsCallers);
    }
    errno = callerErrno;
}

}  // namespace

void FormatConversions(const char* format, ConversionArguments* arguments, EscapeTexts escape, std::size_t limit,
                       std::string* out) {
    qm::FormatPieces pieces;
    ParsePrintfFormat(format, &pieces);
    FormatPiecesInto(pieces, arguments, escape, limit, out);
}

void FormatConversions(const qm::FormatPieces& pieces, ConversionArguments* arguments, EscapeTexts escape,
                       std::size_t limit, FormatArea* out) {
    FormatPiecesInto(pieces, arguments, escape, limit, out);
}

}  // namespace qm
