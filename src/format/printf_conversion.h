// One printf conversion of a format ("%-8.3ls", "%2$*1$d"), taken apart so
// that each can be rendered alone with exactly the argument it reads: the
// formatter then never reads an argument the format does not name, and can
// treat the caller's texts apart from the format's own.
#pragma once

#include <cstddef>
#include <cstring>

#include "format/small_list.h"

namespace qm {

// What a conversion's value is, after the C promotions.
enum class ValueKind {
    kNone,        // "%%" and "%m" read no argument
    kSigned,      // d i
    kUnsigned,    // o u x X
    kDouble,      // a e f g (and upper case)
    kLongDouble,  // the same with L
    kChar,        // c (an int)
    kWideChar,    // lc (a wint_t)
    kString,      // s
    kWideString,  // ls
    kPointer,     // p
    kCount        // n: a pointer written to; never written here
};

// The size of an integer argument, from the length modifier.
enum class IntegerSize {
    kChar,
    kShort,
    kInt,
    kLong,
    kLongLong,
    kIntMax,
    kSize,
    kPtrDiff
};

// The flags of a conversion, of "-+ #0'", in the order written, each once.
struct ConversionFlags {
    char text[8] = {};  // NUL-terminated; six flags at most

    bool Has(char flag) const { return std::strchr(text, flag) != nullptr; }
    void Add(char flag) {
        const std::size_t length = std::strlen(text);
        if (!Has(flag) && length + 1 < sizeof text) text[length] = flag;
    }
};

struct PrintfConversion {
    ConversionFlags flags;
    int width = -1;              // -1: none
    int widthArgument = -1;      // index of the int giving the width ("*")
    int precision = -1;          // -1: none
    int precisionArgument = -1;  // index of the int giving the precision (".*")
    IntegerSize size = IntegerSize::kInt;
    char letter = 0;  // d i o u x X a A e E f F g G c s p n m %
    ValueKind kind = ValueKind::kNone;
    int argument = -1;  // index of the value, -1 for none
};

// A run of the format's own text, or a conversion.
struct FormatPiece {
    const char* text;  // literal pieces: the text
    std::size_t length;
    bool isConversion;
    PrintfConversion conversion;
};

// The pieces of a format; the usual few need no heap.
using FormatPieces = SmallList<FormatPiece, 16>;

// Splits format into pieces, appended to *pieces. Arguments are numbered
// from 0 in the order the format reads them ("%N$" names argument N-1). What
// is no valid conversion ("%y", a "%" at the end) is kept as literal text and
// reads nothing. Returns the largest argument index used plus one.
int ParsePrintfFormat(const char* format, FormatPieces* pieces);

}  // namespace qm
