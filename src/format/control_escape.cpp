#include "format/control_escape.h"

#include <cstdint>
#include <cstring>

namespace qm {

namespace {

bool IsControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

template <typename Text>
void AppendEscapedTo(Text* out, const char* text, std::size_t length, std::size_t limit) {
    static const char kHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < length && out->size() < limit; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (!IsControl(byte)) {
            // The run of plain bytes goes in one piece.
            std::size_t end = i + 1;
            while (end < length && !IsControl(static_cast<unsigned char>(text[end]))) ++end;
            const std::size_t room = limit - out->size();
            const std::size_t run = end - i < room ? end - i : room;
            out->append(text + i, run);
            i += run - 1;
            continue;
        }
        char escape[4] = {'\\', 0, 0, 0};
        std::size_t size = 2;
        switch (byte) {
            case '\n': escape[1] = 'n'; break;
            case '\r': escape[1] = 'r'; break;
            case '\t': escape[1] = 't'; break;
            default:
                escape[1] = 'x';
                escape[2] = kHex[byte >> 4];
                escape[3] = kHex[byte & 0xF];
                size = 4;
                break;
        }
        if (out->size() + size > limit) break;
        out->append(escape, size);
    }
}

}  // namespace

void AppendEscaped(std::string* out, const char* text, std::size_t length, std::size_t limit) {
    AppendEscapedTo(out, text, length, limit);
}

void AppendEscaped(QmMessageText* out, const char* text, std::size_t length, std::size_t limit) {
    AppendEscapedTo(out, text, length, limit);
}

void AppendEscaped(FormatArea* out, const char* text, std::size_t length, std::size_t limit) {
    AppendEscapedTo(out, text, length, limit < FormatArea::kCapacity ? limit : FormatArea::kCapacity);
}

bool HasControlCharacter(const char* text, std::size_t length) {
    // Eight bytes at a time: every line's file name and arguments pass here.
    // A byte below 0x20 or equal to 0x7F leaves a high bit in one of the two
    // masks; bytes from 0x80 up never do.
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + i, sizeof word);
        const std::uint64_t below = (word - kOnes * 0x20) & ~word & kHighs;
        const std::uint64_t del = word ^ (kOnes * 0x7F);
        const std::uint64_t isDel = (del - kOnes) & ~del & kHighs;
        if ((below | isDel) != 0) return true;
    }
    for (; i < length; ++i) {
        if (IsControl(static_cast<unsigned char>(text[i]))) return true;
    }
    return false;
}

}  // namespace qm
