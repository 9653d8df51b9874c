// The general formatter's own renderings of integers and texts give exactly
// what snprintf gives for the same conversion, in areas of every size, and
// formats of more pieces and arguments than a list keeps in place read as
// vsnprintf reads them.
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "format/conversion_formatter.h"
#include "format/va_list_arguments.h"

namespace {

// The one conversion of text ("%-7d", say), taken apart as the formatter does.
qm::PrintfConversion ConversionOf(const char* text) {
    qm::FormatPieces pieces;
    qm::ParsePrintfFormat(text, &pieces);
    return pieces[0].conversion;
}

template <typename Render>
std::string Rendered(std::size_t size, Render render) {
    char area[64];
    std::memset(area, '#', sizeof area);
    const std::size_t length = render(area, size);
    EXPECT_EQ(area[length], '\0');
    return std::string(area, length);
}

std::string Printed(std::size_t size, const char* format, ...) {
    char area[64];
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(area, size, format, args);
    va_end(args);
    return area;
}

std::string Formatted(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    qm::FormatPieces pieces;
    const int count = qm::ParsePrintfFormat(format, &pieces);
    qm::VaListArguments arguments(pieces, count, args);
    va_end(args);
    qm::FormatArea out;
    qm::FormatConversions(pieces, &arguments, qm::EscapeTexts::kCallerTexts, 4095, &out);
    return std::string(out.data(), out.size());
}

}  // namespace

TEST(ConversionRender, IntegersAndTextsAsSnprintfWritesThem) {
    const char* const integerForms[] = {"%d", "%5d", "%-5d", "%1d", "%+d", "%05d", "%.3d", "% d", "%i", "%-12i"};
    const char* const unsignedForms[] = {"%u", "%7u", "%-7u", "%x", "%X", "%8x", "%-8X", "%#x", "%o", "%08u"};
    const char* const textForms[] = {"%s", "%8s", "%-8s", "%.2s", "%6.2s", "%-6.2s", "%.0s", "%1s", "%.9s"};
    const long long integers[] = {0, 7, -7, 123456, INT_MIN, INT_MAX};
    const unsigned long long unsignedValues[] = {0, 10, 0xbeef, UINT_MAX};
    const char* const texts[] = {"", "ab", "abcdefghijk"};
    // Areas that cut the text anywhere, down to the terminator alone.
    for (const std::size_t size : {64u, 9u, 4u, 1u}) {
        SCOPED_TRACE(size);
        for (const char* form : integerForms) {
            const qm::PrintfConversion c = ConversionOf(form);
            for (const long long value : integers) {
                EXPECT_EQ(Rendered(size, [&](char* a, std::size_t s) { return qm::RenderSigned(c, value, a, s); }),
                          Printed(size, form, static_cast<int>(value)))
                    << form << " " << value;
            }
        }
        for (const char* form : unsignedForms) {
            const qm::PrintfConversion c = ConversionOf(form);
            for (const unsigned long long value : unsignedValues) {
                EXPECT_EQ(Rendered(size, [&](char* a, std::size_t s) { return qm::RenderUnsigned(c, value, a, s); }),
                          Printed(size, form, static_cast<unsigned int>(value)))
                    << form << " " << value;
            }
        }
        for (const char* form : textForms) {
            const qm::PrintfConversion c = ConversionOf(form);
            for (const char* text : texts) {
                EXPECT_EQ(Rendered(size, [&](char* a, std::size_t s) { return qm::RenderText(c, text, true, a, s); }),
                          Printed(size, form, text))
                    << form << " " << text;
            }
        }
    }
    // A %c or %d shown as text keeps no precision; a text that never ends
    // is read no further than a precision reaches.
    const char unterminated[3] = {'x', 'y', 'z'};
    EXPECT_EQ(Rendered(64, [&](char* a, std::size_t s) { return qm::RenderText(ConversionOf("%-4.1s"), "ab", false, a, s); }),
              "ab  ");
    EXPECT_EQ(Rendered(64, [&](char* a, std::size_t s) { return qm::RenderText(ConversionOf("%.3s"), unterminated, true, a, s); }),
              "xyz");
}

TEST(ConversionRender, FormatsBeyondTheListsOwnRoomReadEveryArgument) {
    // 20 conversions and 20 literal runs: both lists move to the heap.
    std::string format;
    for (int i = 0; i < 20; ++i) format += "<%d>";
    const std::string got = Formatted(format.c_str(), 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17,
                                      18, 19);
    std::string expected;
    for (int i = 0; i < 20; ++i) expected += "<" + std::to_string(i) + ">";
    EXPECT_EQ(got, expected);
    EXPECT_EQ(Formatted("%s|%5u|%-3x|%%|%c", "a\nb", 42u, 255u, 'q'), "a\\nb|   42|ff |%|q");
}
