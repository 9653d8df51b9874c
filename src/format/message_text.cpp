#include "qmerrlog/message_text.h"

namespace {

// The longest record a log line makes (a cut prolog, the type, a 4095-byte
// body, the line feed) fits this, so a long line allocates once.
constexpr std::size_t kFirstHeapSize = 8192;

}  // namespace

QmMessageText::~QmMessageText() {
    if (m_data != m_inline) delete[] m_data;
}

void QmMessageText::Grow(std::size_t needed) {
    std::size_t capacity = m_capacity < kFirstHeapSize ? kFirstHeapSize : m_capacity;
    while (capacity < needed) capacity *= 2;
    char* grown = new char[capacity];
    std::memcpy(grown, m_data, m_size + 1);
    if (m_data != m_inline) delete[] m_data;
    m_data = grown;
    m_capacity = capacity;
}
