// The text of a CQmErrLogMessage: an area inside the message object that holds
// any ordinary record, so that formatting a line allocates nothing; a longer
// text moves to the heap once, with room for the longest record the library
// makes.
#pragma once

#include <cstddef>
#include <cstring>

#include "qmerrlog/export.h"

class QMERRLOG_API QmMessageText {
public:
    // Records up to this many bytes (terminator included) stay in place.
    static constexpr std::size_t kInlineSize = 512;

    QmMessageText() : m_data(m_inline), m_size(0), m_capacity(kInlineSize) { m_inline[0] = '\0'; }
    ~QmMessageText();
    QmMessageText(const QmMessageText&) = delete;
    QmMessageText& operator=(const QmMessageText&) = delete;

    // Always NUL-terminated.
    const char* c_str() const { return m_data; }
    const char* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    // Keeps the room: a reused message stops allocating.
    void clear() {
        m_size = 0;
        m_data[0] = '\0';
    }

    void append(const char* text, std::size_t length) {
        if (length == 0) return;
        if (length >= m_capacity - m_size) Grow(m_size + length + 1);
        std::memcpy(m_data + m_size, text, length);
        m_size += length;
        m_data[m_size] = '\0';
    }
    void append(const char* text) { append(text, std::strlen(text)); }
    void append(std::size_t count, char byte) {
        if (count == 0) return;
        if (count >= m_capacity - m_size) Grow(m_size + count + 1);
        std::memset(m_data + m_size, byte, count);
        m_size += count;
        m_data[m_size] = '\0';
    }
    void push_back(char byte) { append(1, byte); }

private:
    // Moves the text to a heap area of at least needed bytes.
    void Grow(std::size_t needed);

    char* m_data;
    std::size_t m_size;
    std::size_t m_capacity;
    char m_inline[kInlineSize];
};
