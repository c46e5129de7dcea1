// One owning, move-only handle for every Windows resource the program holds. A new handle
// type is one traits struct: its empty value and the call that releases it. The template
// itself has no Windows dependency, so it is tested natively with a fake release call.
#pragma once

#include <utility>

namespace velmora {

template <typename Traits>
class UniqueHandle {
  public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type value) noexcept : value_(value) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Empty(); }

    // Gives up ownership without releasing.
    Type release() noexcept { return std::exchange(value_, Traits::Empty()); }

    void reset(Type value = Traits::Empty()) noexcept {
        Type old = std::exchange(value_, value);
        if (old != Traits::Empty()) Traits::Close(old);
    }

  private:
    Type value_ = Traits::Empty();
};

}  // namespace velmora
