// The plain printf path of trace texts: the formats it takes give exactly the
// C library's bytes, and everything else (or a text that does not fit) is
// handed back so that the C library formats it.
#include <climits>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "format/plain_printf.h"

namespace {

// The plain result (or "declined") and the C library's, for one call.
struct Both {
    std::string plain;
    std::string library;
};

// Not marked as printf-like: some formats here are odd on purpose.
Both Format(std::size_t size, const char* format, ...) {
    char plain[256] = "untouched";
    char library[256];
    std::va_list args;
    va_start(args, format);
    const int length = qm::FormatPlainPrintf(plain, size, format, args);
    va_end(args);
    va_start(args, format);
    std::vsnprintf(library, sizeof library, format, args);
    va_end(args);
    return {length < 0 ? "declined" : std::string(plain, static_cast<std::size_t>(length)), library};
}

}  // namespace

TEST(PlainPrintf, TakenFormatsGiveTheLibrarysBytes) {
    const char* const noText = nullptr;
    const Both cases[] = {
        Format(256, "no conversions at all"),
        Format(256, ""),
        Format(256, "request %d served from %s", 42, "cache"),
        Format(256, "%d|%i|%d|%d", 0, -7, INT_MIN, INT_MAX),
        Format(256, "%u %u", 0u, UINT_MAX),
        Format(256, "%ld %lu %lld %llu", LONG_MIN, ULONG_MAX, LLONG_MIN, ULLONG_MAX),
        Format(256, "%zu %zd", static_cast<std::size_t>(-1) / 2, static_cast<std::ptrdiff_t>(-3)),
        Format(256, "%x %X %lx %llX", 0u, 0xbeefu, 0xfeedfaceul, 0x0123456789abcdefull),
        Format(256, "[%5d][%-5d][%2d][%-1s][%8s][%-8s|]", 42, -42, 12345, "", "right", "left"),
        Format(256, "[%3c][%-3c][%c]", 'a', 'b', 'c'),
        Format(256, "100%% %s%%", "sure"),
        Format(256, "%s and %5s", noText, noText),
        Format(256, "caf\xc3\xa9 %s", "\xe2\x82\xac"),
        Format(256, "%d", 1234567),
    };
    for (const Both& c : cases) {
        EXPECT_EQ(c.plain, c.library);
    }
    // A NUL character is a byte of the text, as printf counts it.
    const Both nul = Format(256, "a%cb", 0);
    EXPECT_EQ(nul.plain, std::string("a\0b", 3));
}

TEST(PlainPrintf, OtherFormatsAndTextsThatDoNotFitAreHandedBack) {
    const Both declined[] = {
        Format(256, "%05d", 5),       Format(256, "%+d", 5),          Format(256, "% d", 5),
        Format(256, "%#x", 5u),       Format(256, "%.2s", "abc"),     Format(256, "%*d", 3, 5),
        Format(256, "%1$d", 5),       Format(256, "%f", 2.5),         Format(256, "%g", 2.5),
        Format(256, "%p", nullptr),   Format(256, "%hd", 5),          Format(256, "%o", 8u),
        Format(256, "%ls", L"wide"),  Format(256, "%lc", L'w'),       Format(256, "%5%"),
        Format(256, "%--5d", 5),      Format(256, "ends with %"),     Format(256, "%y"),
        Format(256, "%99999d", 5),    Format(256, "%-0d", 5),         Format(256, "%jd", INTMAX_C(5)),
    };
    for (const Both& c : declined) {
        EXPECT_EQ(c.plain, "declined") << c.library;
    }
    // "ab 12" is 5 bytes: it needs 6 with its terminator, wherever it is cut.
    EXPECT_EQ(Format(6, "ab %d", 12).plain, "ab 12");
    for (const std::size_t size : {0u, 1u, 3u, 4u, 5u}) {
        EXPECT_EQ(Format(size, "ab %d", 12).plain, "declined") << size;
        EXPECT_EQ(Format(size, "%5s", "ab").plain, "declined") << size;
        EXPECT_EQ(Format(size, "%-5s", "ab").plain, "declined") << size;
    }
}
