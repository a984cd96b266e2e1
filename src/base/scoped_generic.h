#pragma once
// ScopedGeneric<Traits>: owns one resource and frees it exactly once, when the owner goes or
// is reset. Move-only; get() lends the resource without giving up ownership, release() gives
// it up without freeing it. Traits supplies:
//   using Resource = ...;                       // a handle-like value type
//   static Resource InvalidValue();             // what "owns nothing" holds
//   static bool IsValid(Resource r);            // false also for other failure values
//   static void Free(Resource r);               // called only for a valid resource
// Not thread-safe: one owner, one thread at a time, like the resource itself.

#include <utility>

namespace orvbase {

template <typename Traits>
class ScopedGeneric {
  public:
    using Resource = typename Traits::Resource;

    ScopedGeneric() = default;
    explicit ScopedGeneric(Resource resource) : resource_(resource) {}
    ~ScopedGeneric() { reset(); }

    ScopedGeneric(ScopedGeneric&& other) noexcept : resource_(other.release()) {}
    ScopedGeneric& operator=(ScopedGeneric&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ScopedGeneric(const ScopedGeneric&) = delete;
    ScopedGeneric& operator=(const ScopedGeneric&) = delete;

    Resource get() const { return resource_; }
    bool is_valid() const { return Traits::IsValid(resource_); }
    explicit operator bool() const { return is_valid(); }

    // Frees what it owned, then owns `resource`.
    void reset(Resource resource = Traits::InvalidValue()) {
        if (Traits::IsValid(resource_)) {
            Traits::Free(resource_);
        }
        resource_ = resource;
    }
    [[nodiscard]] Resource release() { return std::exchange(resource_, Traits::InvalidValue()); }

  private:
    Resource resource_ = Traits::InvalidValue();
};

}  // namespace orvbase
