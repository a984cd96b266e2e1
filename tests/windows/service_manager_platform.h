#pragma once
// What the suite needs of the platform: owners for handles (a check that fails half way still
// closes what it opened; an open service handle keeps a deleted service alive), wide text made
// readable, whether the machine is Wine, and what a finished Windows set-up leaves that a fresh
// Wine prefix lacks.

#include <memory>
#include <string>
#include <type_traits>

#include "winapi/windows_api.h"

namespace scm_suite {

struct ServiceHandleCloser {
    void operator()(SC_HANDLE handle) const {
        if (handle != nullptr) {
            CloseServiceHandle(handle);
        }
    }
};
using ServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceHandleCloser>;

struct KernelHandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};
using KernelHandle = std::unique_ptr<void, KernelHandleCloser>;

// Wide text of the Win32 calls made readable in failure messages.
inline std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size,
                        nullptr, nullptr);
    return narrow;
}

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The service waits, before it brings the client up, until Windows set-up has recorded its
// image state as complete. Windows always has; a Wine prefix never writes the value, so under
// Wine it is written here. Returns an error text, empty on success.
std::string EnsureSetupFinished();

}  // namespace scm_suite
