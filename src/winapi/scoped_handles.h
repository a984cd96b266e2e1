#pragma once
// Owners of Win32 handles, one per kind of handle and the function that closes it: kernel
// objects (CloseHandle), registry keys (RegCloseKey), service control manager and service
// handles (CloseServiceHandle). See base/scoped_generic.h for the contract.

#include "base/scoped_generic.h"
#include "winapi/windows_api.h"

namespace orvwin {

// CreateFileW reports failure as INVALID_HANDLE_VALUE, most others as null: neither is owned.
struct KernelHandleTraits {
    using Resource = HANDLE;
    static Resource InvalidValue() { return nullptr; }
    static bool IsValid(Resource handle) {
        return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    }
    static void Free(Resource handle) { CloseHandle(handle); }
};

struct RegistryKeyTraits {
    using Resource = HKEY;
    static Resource InvalidValue() { return nullptr; }
    static bool IsValid(Resource key) { return key != nullptr; }
    static void Free(Resource key) { RegCloseKey(key); }
};

struct ServiceHandleTraits {
    using Resource = SC_HANDLE;
    static Resource InvalidValue() { return nullptr; }
    static bool IsValid(Resource handle) { return handle != nullptr; }
    static void Free(Resource handle) { CloseServiceHandle(handle); }
};

using ScopedHandle = orvbase::ScopedGeneric<KernelHandleTraits>;
using ScopedKey = orvbase::ScopedGeneric<RegistryKeyTraits>;
using ScopedServiceHandle = orvbase::ScopedGeneric<ServiceHandleTraits>;

}  // namespace orvwin
