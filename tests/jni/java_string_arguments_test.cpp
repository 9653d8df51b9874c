// Java strings meeting the conversions of catalogue texts and trace formats.
#include "jni/java_string_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

static std::string Format(const char* format, std::vector<const char*> texts,
                   qm::EscapeTexts escape = qm::EscapeTexts::kCallerTexts) {
    qm::JavaStringArguments arguments(texts.data(), static_cast<int>(texts.size()));
    std::string out;
    qm::FormatConversions(format, &arguments, escape, 4095, &out);
    return out;
}

TEST(JavaStringArguments, EachConversionGetsANumberWhenTheStringIsOneElseTheText) {
    const std::string q5000(5000, 'q');
    const struct {
        const char* format;
        std::vector<const char*> texts;
        std::string expected;
    } cases[] = {
        {"listening on port %d", {"8080"}, "listening on port 8080"},
        {"port %5d|%-5d|%05d", {"80", "81", "-82"}, "port    80|81   |-0082"},
        {"%u %lu %x %X %o", {"7", "4000000000", "255", "255", "8"}, "7 4000000000 ff FF 10"},
        {"%.2f %g %e", {"2.5", "1e3", "x"}, "2.50 1000 x"},
        // Not a number of the kind needed: the text, under width and alignment only.
        {"%d|%4u|%-4x|%.1d", {"port", "-1", "ab", "abc"}, "port|  -1|ab  |abc"},
        {"%d", {"99999999999"}, "99999999999"},  // beyond an int: shown as given
        {"%lld|%hd", {"-4000000000", "70000"}, "-4000000000|4464"},  // narrowed as C narrows
        {"%c%c|%p|%ls", {"A", "long", "0x10", "wide"}, "Along|0x10|wide"},
        // Missing strings are empty texts; the format never reads past the last.
        {"%s=%d (%s)", {"only"}, "only= ()"}, {"%1s|%3d|%s", {}, " |   |"},
        {"%2$s %1$s %2$s", {"a", "b"}, "b a b"},
        {"%*d|%-*s|%.*s", {"4", "7", "-3", "x", "2", "abc"}, "   7|x  |ab"},
        {"%n%s %%", {"x", "y"}, "y %"},
        // Widths and precisions are clamped: a record stays bounded.
        {"%99999999s", {"x"}, std::string(4094, ' ') + "x"}, {"%.99999999f", {"1"}, "1." + std::string(4093, '0')},
        {"%s", {q5000.c_str()}, std::string(4095, 'q')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(Format(c.format, c.texts), c.expected);
    }
}

TEST(JavaStringArguments, ControlCharactersOfTheStringsAreEscapedTheFormatsOnlyWhenItIsTheCallers) {
    EXPECT_EQ(Format("a\tb %s|%c|%d", {"x\n[INFO] forged\r", "\x1b", "1\n"}),
              "a\tb x\\n[INFO] forged\\r|\\x1b|1\\n");
    EXPECT_EQ(Format("a\tb\n%s", {"\x7f"}, qm::EscapeTexts::kEverything), "a\\tb\\n\\x7f");
    // An escape is never cut in half at the bound.
    const std::string head(4093, 'h');
    EXPECT_EQ(Format("%s%s", {head.c_str(), "\n"}), head + "\\n");
    EXPECT_EQ(Format("%s%s", {(head + "h").c_str(), "\n"}), head + "h");
}
