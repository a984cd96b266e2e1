#pragma once
// Owners of Win32 handles: each closes its handle exactly once, when it goes or is reset.
// Move-only; Get() lends the handle without giving up ownership.

#include <utility>

#include "winapi/windows_api.h"

namespace orvsvc {

template <typename Traits>
class UniqueResource {
  public:
    using Handle = typename Traits::Handle;

    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : handle_(handle) {}
    ~UniqueResource() { Reset(); }

    UniqueResource(UniqueResource&& other) noexcept : handle_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    Handle Get() const { return handle_; }
    explicit operator bool() const { return Traits::IsValid(handle_); }

    void Reset(Handle handle = Traits::Empty()) {
        if (Traits::IsValid(handle_)) {
            Traits::Close(handle_);
        }
        handle_ = handle;
    }

  private:
    Handle Release() { return std::exchange(handle_, Traits::Empty()); }

    Handle handle_ = Traits::Empty();
};

// Kernel objects. CreateFileW reports failure as INVALID_HANDLE_VALUE, most others as null:
// both count as no handle.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle handle) {
        return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    }
    static void Close(Handle handle) { CloseHandle(handle); }
};

// Service control manager and service handles.
struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle handle) { return handle != nullptr; }
    static void Close(Handle handle) { CloseServiceHandle(handle); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueServiceHandle = UniqueResource<ServiceHandleTraits>;

}  // namespace orvsvc
