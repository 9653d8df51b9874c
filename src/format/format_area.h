// A formatted text of at most 4095 bytes on the caller's stack: the body of a
// log line is built here, so that no line needs the heap for it.
#pragma once

#include <cstddef>
#include <cstring>

#include "format/bounded_format.h"

namespace qm {

class FormatArea {
public:
    // The most bytes it holds.
    static constexpr std::size_t kCapacity = kFormatAreaSize - 1;

    FormatArea() : m_size(0) {}
    FormatArea(const FormatArea&) = delete;
    FormatArea& operator=(const FormatArea&) = delete;

    const char* data() const { return m_text; }
    std::size_t size() const { return m_size; }
    // Keeps what fits: callers bound their texts below kCapacity anyway.
    void append(const char* text, std::size_t length) {
        const std::size_t room = kCapacity - m_size;
        if (length > room) length = room;
        std::memcpy(m_text + m_size, text, length);
        m_size += length;
    }

private:
    std::size_t m_size;
    char m_text[kFormatAreaSize];
};

}  // namespace qm
