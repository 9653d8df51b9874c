#include "format/json_text.h"

#include <cstdint>
#include <cstring>

#include "format/utf8_text.h"

namespace qm {
namespace {

// The one-letter escapes; other control characters take the \u form.
char ShortEscape(unsigned char byte) {
    switch (byte) {
        case '"': return '"';
        case '\\': return '\\';
        case '\b': return 'b';
        case '\f': return 'f';
        case '\n': return 'n';
        case '\r': return 'r';
        case '\t': return 't';
        default: return 0;
    }
}

// True when none of the eight bytes needs a look of its own: no control
// character, quote, backslash or byte of a multi-byte sequence.
bool EightPlainBytes(const char* text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    std::uint64_t word;
    std::memcpy(&word, text, sizeof word);
    if ((word & kHighs) != 0) return false;
    // With every high bit clear, (x - n) & ~x has a high bit set exactly
    // where a byte is below n; a byte equal to c is a zero byte of x ^ c.
    const std::uint64_t below = (word - kOnes * 0x20u) & ~word;
    const std::uint64_t quote = word ^ (kOnes * '"');
    const std::uint64_t backslash = word ^ (kOnes * '\\');
    const std::uint64_t zeroQuote = (quote - kOnes) & ~quote;
    const std::uint64_t zeroBackslash = (backslash - kOnes) & ~backslash;
    return ((below | zeroQuote | zeroBackslash) & kHighs) == 0;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

const char* SkipDigits(const char* at) {
    while (IsDigit(*at)) ++at;
    return at;
}

}  // namespace

void AppendJsonString(QmMessageText* out, const char* text, std::size_t length) {
    static const char kHex[] = "0123456789abcdef";
    out->push_back('"');
    std::size_t run = 0;
    std::size_t at = 0;
    while (at < length) {
        if (length - at >= 8 && EightPlainBytes(text + at)) {
            at += 8;
            continue;
        }
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x20u && byte != '"' && byte != '\\') {
            // Plain ASCII and well-formed sequences are copied in runs.
            const std::size_t sequence = byte < 0x80u ? 1 : Utf8SequenceLength(text + at, length - at);
            if (sequence != 0) {
                at += sequence;
                continue;
            }
        }
        out->append(text + run, at - run);
        if (byte >= 0x80u) {
            out->append(kReplacementCharacter, sizeof kReplacementCharacter - 1);
        } else if (const char letter = ShortEscape(byte)) {
            out->push_back('\\');
            out->push_back(letter);
        } else {
            const char escape[6] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xFu]};
            out->append(escape, sizeof escape);
        }
        run = ++at;
    }
    out->append(text + run, at - run);
    out->push_back('"');
}

bool IsJsonNumber(const char* text) {
    if (text == nullptr) return false;
    const char* at = text;
    if (*at == '-') ++at;
    if (*at == '0') {
        ++at;
    } else if (IsDigit(*at)) {
        at = SkipDigits(at);
    } else {
        return false;
    }
    if (*at == '.') {
        if (!IsDigit(*++at)) return false;
        at = SkipDigits(at);
    }
    if (*at == 'e' || *at == 'E') {
        ++at;
        if (*at == '+' || *at == '-') ++at;
        if (!IsDigit(*at)) return false;
        at = SkipDigits(at);
    }
    return *at == '\0';
}

}  // namespace qm
