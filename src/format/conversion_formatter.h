// printf-style formatting one conversion at a time: the format is taken apart
// (format/printf_conversion.h) and each conversion rendered alone with the
// one value it reads. This is how a caller's texts are told from the format's
// own (to escape their control characters), and how values that arrive as
// texts (from Java) meet conversions such as %d.
#pragma once

#include <cstddef>
#include <string>

#include "format/format_area.h"
#include "format/printf_conversion.h"

namespace qm {

// Widths and precisions above this are taken as this: no single conversion
// can then make more text than a formatted text may hold anyway.
constexpr int kMaxConversionWidth = 4095;

// Where the conversions take their values from.
class ConversionArguments {
public:
    virtual ~ConversionArguments() = default;
    // The int a "*" width or precision reads from argument index.
    virtual int Integer(int index) = 0;
    // Renders conversion c (its width and precision resolved and clamped)
    // into area, NUL-terminated, and returns the length kept (at most
    // size - 1). *callerText tells whether the bytes are a caller's text.
    virtual std::size_t Render(const PrintfConversion& c, char* area, std::size_t size, bool* callerText) = 0;
};

// Which texts get their control characters escaped (format/control_escape.h).
enum class EscapeTexts {
    kCallerTexts,  // texts the arguments render; the format is the program's own
    kEverything    // the format too: it came from a caller as well
};

// Appends format with its conversions rendered from arguments to out, which
// never grows past limit bytes. "%m" gives the text of the errno the call
// began with, which it leaves as it found it. "%n" writes nothing.
void FormatConversions(const char* format, ConversionArguments* arguments, EscapeTexts escape, std::size_t limit,
                       std::string* out);
// The same for a format already taken apart, into a stack area.
void FormatConversions(const FormatPieces& pieces, ConversionArguments* arguments, EscapeTexts escape,
                       std::size_t limit, FormatArea* out);

// Renders the conversion with a value of the type its letter and size need
// (long long and unsigned long long are narrowed to that size first);
// helpers for ConversionArguments. Each returns the length kept.
std::size_t RenderSigned(const PrintfConversion& c, long long value, char* area, std::size_t size);
std::size_t RenderUnsigned(const PrintfConversion& c, unsigned long long value, char* area, std::size_t size);
std::size_t RenderDouble(const PrintfConversion& c, double value, char* area, std::size_t size);
std::size_t RenderLongDouble(const PrintfConversion& c, long double value, char* area, std::size_t size);
std::size_t RenderPointer(const PrintfConversion& c, const void* value, char* area, std::size_t size);
std::size_t RenderWide(const PrintfConversion& c, const wchar_t* text, char* area, std::size_t size);
std::size_t RenderWideChar(const PrintfConversion& c, unsigned long value, char* area, std::size_t size);
// A text under the conversion's "-" flag and width; the precision cuts it
// only when keepPrecision is set (a %s's own precision, not a %d's).
std::size_t RenderText(const PrintfConversion& c, const char* text, bool keepPrecision, char* area,
                       std::size_t size);

}  // namespace qm
