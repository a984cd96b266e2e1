// COM initialisation calls over the machine's COM state.

#include "winapi/win32/com.h"

#include "winapi/machine/machine.h"
#include "winapi/win32/errors.h"

using winsim::detail::Call;
using winsim::detail::Machine;

extern "C" {

HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) {
    Machine& m = Machine::Get();
    if (const auto code = m.failures.Check(Call::CoInitializeEx, __builtin_return_address(0))) {
        return *code;
    }
    if (pvReserved != nullptr) {
        return E_INVALIDARG;
    }
    return m.com.Initialize(dwCoInit);
}

HRESULT WINAPI CoInitialize(LPVOID pvReserved) {
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

void WINAPI CoUninitialize() {
    Machine::Get().com.Uninitialize();
}

HRESULT WINAPI CoInitializeSecurity(PSECURITY_DESCRIPTOR /*pSecDesc*/, LONG cAuthSvc,
                                    SOLE_AUTHENTICATION_SERVICE* asAuthSvc, void* pReserved1,
                                    DWORD dwAuthnLevel, DWORD dwImpLevel, void* /*pAuthList*/,
                                    DWORD /*dwCapabilities*/, void* pReserved3) {
    Machine& m = Machine::Get();
    if (const auto code =
            m.failures.Check(Call::CoInitializeSecurity, __builtin_return_address(0))) {
        return *code;
    }
    if (pReserved1 != nullptr || pReserved3 != nullptr) {
        return E_INVALIDARG;
    }
    return m.com.InitializeSecurity(cAuthSvc, asAuthSvc, dwAuthnLevel, dwImpLevel);
}

}  // extern "C"
