#include "winapi/machine/com_state.h"

#include "winapi/win32/errors.h"

namespace winsim::detail {

namespace {

struct Apartment {
    uint64_t generation = 0;
    unsigned count = 0;  // successful initialisations not yet uninitialised
    DWORD model = COINIT_MULTITHREADED;
};
thread_local Apartment t_apartment;

Apartment& Current(uint64_t generation) {
    if (t_apartment.generation != generation) {
        t_apartment = Apartment{generation, 0, COINIT_MULTITHREADED};
    }
    return t_apartment;
}

}  // namespace

HRESULT ComState::Initialize(DWORD coinit) {
    constexpr DWORD kKnownFlags =
        COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;
    if ((coinit & ~kKnownFlags) != 0) {
        return E_INVALIDARG;
    }
    const DWORD model = coinit & COINIT_APARTMENTTHREADED;
    Apartment& apartment = Current(generation_.load());
    if (apartment.count == 0) {
        apartment.model = model;
        apartment.count = 1;
        return S_OK;
    }
    if (apartment.model != model) {
        return RPC_E_CHANGED_MODE;
    }
    ++apartment.count;
    return S_FALSE;
}

void ComState::Uninitialize() {
    Apartment& apartment = Current(generation_.load());
    if (apartment.count > 0) {
        --apartment.count;
    }
}

HRESULT ComState::InitializeSecurity(LONG auth_services,
                                     const SOLE_AUTHENTICATION_SERVICE* services, DWORD authn_level,
                                     DWORD imp_level) {
    if (Current(generation_.load()).count == 0) {
        return CO_E_NOTINITIALIZED;
    }
    tsa::MutexLock lock(mu_);
    if (security_) {
        return RPC_E_TOO_LATE;
    }
    if (auth_services < -1 || (auth_services > 0 && services == nullptr) ||
        authn_level > RPC_C_AUTHN_LEVEL_PKT_PRIVACY || imp_level > RPC_C_IMP_LEVEL_DELEGATE) {
        return E_INVALIDARG;
    }
    security_ = true;
    return S_OK;
}

bool ComState::SecurityInitialized() {
    tsa::MutexLock lock(mu_);
    return security_;
}

void ComState::Reset() {
    generation_.fetch_add(1);
    tsa::MutexLock lock(mu_);
    security_ = false;
}

}  // namespace winsim::detail
