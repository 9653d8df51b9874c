// A list that keeps its first entries inside itself and moves to the heap
// only past them: a format's pieces and a call's arguments are a handful
// almost always, and an ordinary line must not allocate for them.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <vector>

namespace qm {

template <typename T, std::size_t InlineCount>
class SmallList {
    static_assert(std::is_trivially_copyable<T>::value && std::is_trivially_destructible<T>::value,
                  "entries are copied as bytes would be and never destroyed");

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
            new (Inline() + m_size) T(entry);
            ++m_size;
            return;
        }
        if (m_heap.empty()) m_heap.assign(Inline(), Inline() + InlineCount);
        m_heap.push_back(entry);
        ++m_size;
    }
    // Grows to count entries, the new ones value-initialised; never shrinks.
    void grow_to(std::size_t count) {
        while (m_size < count) push_back(T());
    }

private:
    T* data() { return m_size > InlineCount ? m_heap.data() : Inline(); }
    const T* data() const { return m_size > InlineCount ? m_heap.data() : Inline(); }
    // Left unwritten until an entry is put there: a list of a few entries
    // does not pay for clearing all of its room.
    T* Inline() { return std::launder(reinterpret_cast<T*>(m_inline)); }
    const T* Inline() const { return std::launder(reinterpret_cast<const T*>(m_inline)); }

    alignas(T) unsigned char m_inline[sizeof(T) * InlineCount];
    std::vector<T> m_heap;
    std::size_t m_size = 0;
};

}  // namespace qm
