// A value built on first use and never destroyed. The library's process-wide
// objects (the real disk, the registries, the default logger, the workers)
// are still used while the process exits, by threads that keep logging and
// by exit handlers that close files after static destructors may have run;
// an object that is never destroyed cannot be met half torn down.
#pragma once

#include <new>
#include <utility>

namespace qm {

// Marks construction by a function of the caller's, for a T whose
// constructor only the caller may call.
struct ConstructedBy {};

template <typename T>
class NoDestructor {
public:
    template <typename... Args>
    explicit NoDestructor(Args&&... args) {
        new (m_storage) T(std::forward<Args>(args)...);
    }
    // construct(address) places the T at address.
    template <typename Construct>
    NoDestructor(ConstructedBy, Construct construct) {
        construct(static_cast<void*>(m_storage));
    }
    // Nothing runs: the object stays valid until the process is gone.
    ~NoDestructor() = default;
    NoDestructor(const NoDestructor&) = delete;
    NoDestructor& operator=(const NoDestructor&) = delete;

    T* get() { return std::launder(reinterpret_cast<T*>(m_storage)); }
    T& operator*() { return *get(); }
    T* operator->() { return get(); }

private:
    alignas(T) unsigned char m_storage[sizeof(T)];
};

}  // namespace qm
