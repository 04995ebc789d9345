// An owning wrapper for a value that a port hands out and takes back (a
// handle, preparsed data, a lock): the value is released through the port
// when the wrapper goes, on every return path.
//
// Traits give the value type, its "none" value and the release call:
//
//   struct Traits {
//       using Value = ...;
//       static constexpr Value None() { ... }
//       static void Release(Value value);
//   };
//
// The wrapper is move-only; Release is called once for every value that is
// not None.
#pragma once

#include <utility>

namespace Orv::Platform {

template <typename Traits>
class UniqueHandle {
public:
    using Value = typename Traits::Value;

    UniqueHandle() = default;
    explicit UniqueHandle(Value value) : value_(value) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Value get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::None(); }

    // Gives the value up without releasing it.
    Value release() { return std::exchange(value_, Traits::None()); }
    // Releases the value held (if any) and holds value instead.
    void reset(Value value = Traits::None()) {
        Value old = std::exchange(value_, value);
        if (old != Traits::None())
            Traits::Release(old);
    }

private:
    Value value_ = Traits::None();
};

}  // namespace Orv::Platform
