#pragma once
#include <memory>
#include <new>
#include <utility>

namespace vornik {

// An allocator that leaves the elements a container grows by unset, for
// large buffers whose new elements are written right after they are added:
// growing them then costs no pass of zeros over memory about to be
// overwritten. Elements given a value (resize(n, value), assign) get it.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

}  // namespace vornik
