// A list that keeps its first entries inside itself and moves to the heap
// only past them: a format's pieces and a call's arguments are a handful
// almost always, and an ordinary line must not allocate for them.
#pragma once

#include <cstddef>
#include <type_traits>
#include <vector>

namespace qm {

template <typename T, std::size_t InlineCount>
class SmallList {
    static_assert(std::is_trivially_copyable<T>::value, "entries are copied as bytes would be");

public:
    SmallList() = default;
    SmallList(const SmallList&) = delete;
    SmallList& operator=(const SmallList&) = delete;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T* begin() { return data(); }
    T* end() { return data() + m_size; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + m_size; }
    T& operator[](std::size_t index) { return data()[index]; }
    const T& operator[](std::size_t index) const { return data()[index]; }

    void push_back(const T& entry) {
        if (m_size < InlineCount) {
            m_inline[m_size++] = entry;
            return;
        }
        if (m_heap.empty()) m_heap.assign(m_inline, m_inline + InlineCount);
        m_heap.push_back(entry);
        ++m_size;
    }
    // Grows to count entries, the new ones value-initialised; never shrinks.
    void grow_to(std::size_t count) {
        while (m_size < count) push_back(T());
    }

private:
    T* data() { return m_size > InlineCount ? m_heap.data() : m_inline; }
    const T* data() const { return m_size > InlineCount ? m_heap.data() : m_inline; }

    T m_inline[InlineCount] = {};
    std::vector<T> m_heap;
    std::size_t m_size = 0;
};

}  // namespace qm
