#pragma once
// Owners of Win32 handles for the stand-ins: each closes its handle when it goes out of
// scope. Move-only.

#include <utility>

#include "winapi/windows_api.h"

namespace orvsim {

class OwnedHandle {
  public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, nullptr));
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(HANDLE handle = nullptr) {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }

  private:
    HANDLE handle_ = nullptr;
};

class OwnedKey {
  public:
    OwnedKey() = default;
    explicit OwnedKey(HKEY key) : key_(key) {}
    ~OwnedKey() { reset(); }
    OwnedKey(OwnedKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    OwnedKey& operator=(OwnedKey&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.key_, nullptr));
        }
        return *this;
    }
    OwnedKey(const OwnedKey&) = delete;
    OwnedKey& operator=(const OwnedKey&) = delete;

    HKEY get() const { return key_; }
    void reset(HKEY key = nullptr) {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
        key_ = key;
    }

  private:
    HKEY key_ = nullptr;
};

}  // namespace orvsim
