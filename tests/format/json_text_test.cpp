// JSON strings: the word-at-a-time writer and the piecewise append against a
// plain byte-by-byte reading of the same rules, wherever a byte that needs a
// look falls against the eight-byte words and the pieces of a long text.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "format/json_text.h"
#include "qmerrlog/message.h"

namespace {

// Length of the well-formed UTF-8 sequence at text[at] by decoding its code
// point, or 0: no lead byte, a missing continuation, an overlong form, a
// surrogate or a code point past U+10FFFF.
std::size_t DecodedLength(const std::string& text, std::size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    std::size_t length;
    unsigned long point;
    if (lead >= 0xF0) {
        length = 4, point = lead & 0x07u;
    } else if (lead >= 0xE0) {
        length = 3, point = lead & 0x0Fu;
    } else if (lead >= 0xC0) {
        length = 2, point = lead & 0x1Fu;
    } else {
        return 0;
    }
    if (lead > 0xF7 || text.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0u) != 0x80u) return 0;
        point = point << 6 | (next & 0x3Fu);
    }
    const unsigned long least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < least[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
    return length;
}

std::string Expected(const std::string& text) {
    std::string out = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x80) {
            const std::size_t length = DecodedLength(text, at);
            out += length == 0 ? std::string("\xEF\xBF\xBD") : text.substr(at, length);
            at += length == 0 ? 1 : length;
            continue;
        }
        const std::string escapes[] = {"\\\"", "\\\\", "\\b", "\\f", "\\n", "\\r", "\\t"};
        const std::string escaped = "\"\\\b\f\n\r\t";
        const std::size_t which = escaped.find(static_cast<char>(byte));
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\u%04x", byte);
        out += which != std::string::npos ? escapes[which] : byte < 0x20 ? std::string(hex) : std::string(1, char(byte));
        ++at;
    }
    return out + "\"";
}

// Both writers on one text; the area is exactly the room promised, so a
// word copy that runs too far is caught by the address sanitizer.
void ExpectBothWriters(const std::string& text) {
    const std::string expected = Expected(text);
    std::vector<char> area(qm::JsonStringRoom(text.size()));
    const char* end = qm::WriteJsonString(area.data(), text.data(), text.size());
    const char* begin = area.data();
    EXPECT_EQ(std::string(begin, end), expected);
    CQmErrLogMessage message(false);
    qm::AppendJsonString(&message, text.data(), text.size());
    EXPECT_EQ(std::string(message.GetBuffer(), message.GetBufferLen()), expected);
}

// Bytes that need a look, and sequences that are or are not UTF-8.
const std::vector<std::string> kHostile = {
    "\"", "\\", "\b", "\f", "\n", "\r", "\t", std::string(1, '\0'), "\x01", "\x1f", "\x7f", "/",
    "\xC3\xBC", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF", "\xED\x9F\xBF",  // well-formed
    "\x80", "\xBF", "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF",
    "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\xC3", "\xE2\x82", "\xF0\x9F\x98", "\xE2\x82(",
};

// The reading above, held to bytes written out by hand.
TEST(JsonText, PinnedEscapes) {
    const struct { std::string text, json; } cases[] = {
        {"", "\"\""},
        {"say \"hi\" \\ /", "\"say \\\"hi\\\" \\\\ /\""},
        {std::string("\0\x01\b\t\n\f\r\x1f\x7f", 9), "\"\\u0000\\u0001\\b\\t\\n\\f\\r\\u001f\x7f\""},
        // A stray byte, a cut sequence and the three bytes of a surrogate
        // each become one U+FFFD per byte.
        {"ok\xC3\xBC bad\xFF\xC3(\xED\xA0\x80",
         "\"ok\xC3\xBC bad\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Expected(c.text), c.json);
        ExpectBothWriters(c.text);
    }
}

TEST(JsonText, EveryHostileByteAtEveryPlaceOfAWord) {
    for (const std::string& hostile : kHostile) {
        for (std::size_t before = 0; before <= 17; ++before) {
            for (const std::size_t after : {0, 1, 3, 7, 8, 9}) {
                SCOPED_TRACE(testing::Message() << "before " << before << " after " << after);
                ExpectBothWriters(std::string(before, 'a') + hostile + std::string(after, 'z'));
                ExpectBothWriters(std::string(before, 'a') + hostile + hostile + std::string(after, 'z'));
            }
        }
    }
}

// A long text is appended in pieces of 256 bytes; each cut must fall where
// the whole text would also start a new step.
TEST(JsonText, LongTextsAcrossEveryPieceCut) {
    for (const std::string& hostile : kHostile) {
        for (std::size_t before = 248; before <= 258; ++before) {
            SCOPED_TRACE(testing::Message() << "before " << before);
            ExpectBothWriters(std::string(before, 'a') + hostile + std::string(300, 'z'));
            // A whole sequence and stray continuation bytes right after it.
            ExpectBothWriters(std::string(before, 'a') + "\xF4\x8F\xBF\xBF" + hostile + "\x96\x80\x80\x80\x80z");
        }
    }
    ExpectBothWriters(std::string(1000, '\x80'));
    ExpectBothWriters(std::string(700, '\n'));
    std::string mixed;
    for (int i = 0; i < 200; ++i) mixed += kHostile[i % kHostile.size()] + "ab";
    ExpectBothWriters(mixed);
}

}  // namespace
