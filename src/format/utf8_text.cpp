#include "format/utf8_text.h"

#include <cstdint>
#include <cstring>

namespace qm {
namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0u) == 0x80u;
}

}  // namespace

std::size_t Utf8SequenceLength(const char* text, std::size_t left) {
    if (left == 0) return 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    const unsigned char lead = bytes[0];
    if (lead < 0x80u) return 1;
    std::size_t length;
    // The second byte's range rules out overlong forms, surrogates and code
    // points past U+10FFFF.
    unsigned char low = 0x80u;
    unsigned char high = 0xBFu;
    if (lead >= 0xC2u && lead <= 0xDFu) {
        length = 2;
    } else if (lead >= 0xE0u && lead <= 0xEFu) {
        length = 3;
        if (lead == 0xE0u) low = 0xA0u;
        if (lead == 0xEDu) high = 0x9Fu;
    } else if (lead >= 0xF0u && lead <= 0xF4u) {
        length = 4;
        if (lead == 0xF0u) low = 0x90u;
        if (lead == 0xF4u) high = 0x8Fu;
    } else {
        return 0;
    }
    if (left < length || bytes[1] < low || bytes[1] > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(bytes[i])) return 0;
    }
    return length;
}

std::size_t EndOfWellFormedRun(const char* text, std::size_t at, std::size_t length) {
    while (at < length) {
        // ASCII, the common case, is skipped eight bytes at a time.
        std::uint64_t word;
        if (length - at >= sizeof word) {
            std::memcpy(&word, text + at, sizeof word);
            if ((word & 0x8080808080808080ull) == 0) {
                at += sizeof word;
                continue;
            }
        }
        if (static_cast<unsigned char>(text[at]) < 0x80u) {
            ++at;
            continue;
        }
        const std::size_t sequence = Utf8SequenceLength(text + at, length - at);
        if (sequence == 0) return at;
        at += sequence;
    }
    return length;
}

void AppendRepairedUtf8(std::string* out, const char* text, std::size_t length) {
    std::size_t run = 0;  // start of the well-formed bytes not yet appended
    while (run <= length) {
        const std::size_t bad = EndOfWellFormedRun(text, run, length);
        out->append(text + run, bad - run);
        if (bad == length) break;
        out->append(kReplacementCharacter, sizeof kReplacementCharacter - 1);
        run = bad + 1;
    }
}

}  // namespace qm
