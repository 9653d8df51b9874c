// The values of a C variable argument list, read once, each with the type its
// conversion names, so that conversions can be rendered one at a time.
#pragma once

#include <cstdarg>

#include "format/conversion_formatter.h"

namespace qm {

class VaListArguments final : public ConversionArguments {
public:
    // Reads every argument the format's pieces name (argumentCount as
    // ParsePrintfFormat gave it), in order. An argument no
    // conversion names has no known type: it and all after it stay unread,
    // and conversions that name them show nothing (printf leaves that case
    // undefined).
    VaListArguments(const FormatPieces& pieces, int argumentCount, std::va_list args);

    int Integer(int index) override;
    std::size_t Render(const PrintfConversion& c, char* area, std::size_t size, bool* callerText) override;

private:
    struct Value {
        ValueKind kind = ValueKind::kNone;
        union {
            long long s;
            unsigned long long u;
            double d;
            long double ld;
            const void* p;
        };
        Value() : u(0) {}
    };

    // The usual few arguments need no heap.
    SmallList<Value, 16> m_values;
};

}  // namespace qm
