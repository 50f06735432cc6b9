#pragma once

#include <utility>

// Single owner of an OS resource (handle, module, key, descriptor, ...). Traits supplies
//   static Value invalid();  static void release(Value);
// The resource is released exactly once, when the owner is reset or destroyed.
template <typename Traits> class UniqueResource {
  public:
    using Value = decltype(Traits::invalid());

    UniqueResource() = default;
    explicit UniqueResource(Value value) : value_(value) {}
    ~UniqueResource() { reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Value get() const { return value_; }
    bool valid() const { return value_ != Traits::invalid(); }
    explicit operator bool() const { return valid(); }

    // Gives the resource up without releasing it.
    Value release() { return std::exchange(value_, Traits::invalid()); }

    void reset(Value value = Traits::invalid()) {
        Value old = std::exchange(value_, value);
        if (old != Traits::invalid())
            Traits::release(old);
    }

  private:
    Value value_ = Traits::invalid();
};
