#include "format/json_text.h"

#include <cstdint>
#include <cstring>

#include "format/utf8_text.h"
#include "qmerrlog/message.h"

namespace qm {
namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// Words hold the text's first byte lowest, whatever the machine's byte order:
// the look mask below is exact only from the low end up.
std::uint64_t InTextOrder(std::uint64_t word) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return __builtin_bswap64(word);
#else
    return word;
#endif
}

std::uint64_t LoadEightBytes(const char* text) {
    std::uint64_t word;
    std::memcpy(&word, text, sizeof word);
    return InTextOrder(word);
}

std::uint64_t LoadFourBytes(const char* text) {
    std::uint32_t half;
    std::memcpy(&half, text, sizeof half);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    half = __builtin_bswap32(half);
#endif
    return half;
}

// The last 1 to 7 bytes of a text as one word, without reading past them: two
// overlapping loads (or three single bytes) put together, the bytes beyond
// the text made blanks, which never need a look.
std::uint64_t LoadShortTail(const char* text, std::size_t count) {
    std::uint64_t word;
    if (count >= 4) {
        word = LoadFourBytes(text) | (LoadFourBytes(text + count - 4) << (8 * (count - 4)));
    } else {
        const auto byte = [text](std::size_t at) -> std::uint64_t { return static_cast<unsigned char>(text[at]); };
        word = byte(0) | (byte(count / 2) << (8 * (count / 2))) | (byte(count - 1) << (8 * (count - 1)));
    }
    return word | ((kOnes * ' ') << (8 * count));
}

void StoreEightBytes(char* out, std::uint64_t word) {
    word = InTextOrder(word);
    std::memcpy(out, &word, sizeof word);
}

// The high bit of each byte of word that needs a look. Bytes at or above 0x80
// show themselves; for the others, (x - n) & ~x has a high bit set where a
// byte is below n, and a byte equal to c is a zero byte of x ^ c. A borrow
// only runs upwards from a byte that is a hit, so the lowest bit set is exact
// even where bits above it are not.
std::uint64_t LookMask(std::uint64_t word) {
    const std::uint64_t below = (word - kOnes * 0x20u) & ~word;
    const std::uint64_t quote = word ^ (kOnes * '"');
    const std::uint64_t backslash = word ^ (kOnes * '\\');
    const std::uint64_t zeroQuote = (quote - kOnes) & ~quote;
    const std::uint64_t zeroBackslash = (backslash - kOnes) & ~backslash;
    return (word | below | zeroQuote | zeroBackslash) & kHighs;
}

// How many bytes come before the first one the mask marks.
std::size_t BytesBeforeMark(std::uint64_t mask) {
    return static_cast<std::size_t>(__builtin_ctzll(mask)) / 8;
}

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

// Writes the byte at text[*at], which needs a look, with what follows it if it
// starts a well-formed sequence; moves *at past what it took.
char* WriteLookedAt(char* out, const char* text, std::size_t* at, std::size_t length) {
    static const char kHex[] = "0123456789abcdef";
    const unsigned char byte = static_cast<unsigned char>(text[*at]);
    if (byte >= 0x80u) {
        const std::size_t sequence = Utf8SequenceLength(text + *at, length - *at);
        if (sequence == 0) {
            std::memcpy(out, kReplacementCharacter, sizeof kReplacementCharacter - 1);
            ++*at;
            return out + sizeof kReplacementCharacter - 1;
        }
        // Two to four bytes: a library copy would cost more than they do.
        for (std::size_t i = 0; i < sequence; ++i) out[i] = text[*at + i];
        *at += sequence;
        return out + sequence;
    }
    ++*at;
    if (const char letter = ShortEscape(byte)) {
        out[0] = '\\';
        out[1] = letter;
        return out + 2;
    }
    const char escape[6] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xFu]};
    std::memcpy(out, escape, sizeof escape);
    return out + sizeof escape;
}

// The string's bytes without its quotes, eight at a time: each word is copied
// before it is checked, and the bytes from the first one that needs a look on
// are written over by what replaces them. The last few bytes are one short
// word of their own, so no text takes a byte loop.
char* WriteJsonBody(char* out, const char* text, std::size_t length) {
    std::size_t at = 0;
    while (at < length) {
        const std::size_t left = length - at;
        std::uint64_t word;
        if (left >= 8) {
            std::memcpy(out, text + at, 8);
            word = LoadEightBytes(text + at);
        } else {
            word = LoadShortTail(text + at, left);
            StoreEightBytes(out, word);
        }
        const std::uint64_t mask = LookMask(word);
        if (mask == 0) {
            const std::size_t taken = left >= 8 ? 8 : left;
            at += taken;
            out += taken;
            continue;
        }
        const std::size_t clean = BytesBeforeMark(mask);
        at += clean;
        out += clean;
        out = WriteLookedAt(out, text, &at, length);
    }
    return out;
}

// Where a piece of a long text that starts at `at` ends: about `piece` bytes
// on, at a byte where writing the whole text would also start a new step. Any
// byte that is no continuation byte is one; so is a continuation byte with
// three more before it, since no sequence has four.
std::size_t PieceEnd(const char* text, std::size_t at, std::size_t length, std::size_t piece) {
    if (length - at <= piece) return length;
    const std::size_t end = at + piece;
    for (std::size_t back = 0; back < 4; ++back) {
        if ((static_cast<unsigned char>(text[end - back]) & 0xC0u) != 0x80u) return end - back;
    }
    return end;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

const char* SkipDigits(const char* at) {
    while (IsDigit(*at)) ++at;
    return at;
}

}  // namespace

char* WriteJsonString(char* out, const char* text, std::size_t length) {
    *out++ = '"';
    out = WriteJsonBody(out, text, length);
    *out++ = '"';
    return out;
}

void AppendJsonString(CQmErrLogMessage* out, const char* text, std::size_t length) {
    constexpr std::size_t kPiece = 256;
    char area[JsonStringRoom(kPiece)];
    if (length <= kPiece) {
        out->AppendText(area, static_cast<std::size_t>(WriteJsonString(area, text, length) - area));
        return;
    }
    out->AppendText("\"", 1);
    for (std::size_t at = 0; at < length;) {
        const std::size_t end = PieceEnd(text, at, length, kPiece);
        out->AppendText(area, static_cast<std::size_t>(WriteJsonBody(area, text + at, end - at) - area));
        at = end;
    }
    out->AppendText("\"", 1);
}

bool ShowsBareInJson(const char* value, int valueKind) {
    switch (valueKind) {
        case QM_VALUE_NUMBER: return IsJsonNumber(value);
        case QM_VALUE_BOOLEAN: return std::strcmp(value, "true") == 0 || std::strcmp(value, "false") == 0;
        default: return false;
    }
}

char* WriteJsonValue(char* out, const char* value, std::size_t valueLength, int valueKind) {
    if (valueKind == QM_VALUE_UNSET) {
        std::memcpy(out, "null", 4);
        return out + 4;
    }
    if (ShowsBareInJson(value, valueKind)) {
        std::memcpy(out, value, valueLength);
        return out + valueLength;
    }
    return WriteJsonString(out, value, valueLength);
}

void AppendJsonValue(CQmErrLogMessage* out, const char* value, std::size_t valueLength, int valueKind) {
    if (valueKind == QM_VALUE_UNSET) {
        out->AppendText("null", 4);
    } else if (ShowsBareInJson(value, valueKind)) {
        out->AppendText(value, valueLength);
    } else {
        AppendJsonString(out, value, valueLength);
    }
}

char* WriteJsonMember(char* out, bool first, const char* name, std::size_t nameLength, const char* value,
                      std::size_t valueLength, int valueKind) {
    if (!first) *out++ = ',';
    out = WriteJsonString(out, name, nameLength);
    *out++ = ':';
    return WriteJsonValue(out, value, valueLength, valueKind);
}

void AppendJsonMember(CQmErrLogMessage* out, bool first, const char* name, std::size_t nameLength,
                      const char* value, std::size_t valueLength, int valueKind) {
    // Ordinary members are written whole on the stack and appended at once.
    char area[512];
    if (JsonMemberRoom(nameLength, valueLength) <= sizeof area) {
        const char* end = WriteJsonMember(area, first, name, nameLength, value, valueLength, valueKind);
        out->AppendText(area, static_cast<std::size_t>(end - area));
        return;
    }
    if (!first) out->AppendText(",", 1);
    AppendJsonString(out, name, nameLength);
    out->AppendText(":", 1);
    AppendJsonValue(out, value, valueLength, valueKind);
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
