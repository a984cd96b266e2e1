#pragma once
// Owners for the service manager's and the kernel's handles, so that a check that fails half
// way still closes what it opened (an open service handle keeps a deleted service alive).

#include <memory>
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

}  // namespace scm_suite
