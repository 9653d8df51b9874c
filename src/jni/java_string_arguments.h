// Java argument strings as the values of a format's conversions: each string
// becomes what its conversion needs — a number for %d, %u, %lu, %x or %f when
// it reads as one, else the text itself — and a conversion beyond the last
// string gets an empty text. The format therefore never reads an argument
// that was not passed, nor a string as a number or a number as a pointer.
#pragma once

#include "format/conversion_formatter.h"

namespace qm {

class JavaStringArguments final : public ConversionArguments {
public:
    // texts[0..count-1]; a null text counts as empty. Borrowed.
    JavaStringArguments(const char* const* texts, int count);

    // The string as an int for a "*" width or precision; 0 when it is none.
    int Integer(int index) override;
    std::size_t Render(const PrintfConversion& c, char* area, std::size_t size, bool* callerText) override;

private:
    const char* Text(int index) const;

    const char* const* m_texts;
    int m_iCount;
};

}  // namespace qm
