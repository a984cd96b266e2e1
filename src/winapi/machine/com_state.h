#pragma once
// COM as far as the service uses it: an apartment per thread, counted, and the one-time
// process security initialisation.

#include <atomic>
#include <cstdint>

#include "base/annotated_mutex.h"
#include "winapi/win32/com.h"

namespace winsim::detail {

class ComState {
  public:
    HRESULT Initialize(DWORD coinit) EXCLUDES(mu_);
    void Uninitialize() EXCLUDES(mu_);
    HRESULT InitializeSecurity(LONG auth_services, const SOLE_AUTHENTICATION_SERVICE* services,
                               DWORD authn_level, DWORD imp_level) EXCLUDES(mu_);
    bool SecurityInitialized() EXCLUDES(mu_);
    // Every thread's apartment ends; security may be initialised again.
    void Reset() EXCLUDES(mu_);

  private:
    // Thread apartments from before the last reset no longer count.
    std::atomic<uint64_t> generation_{1};
    tsa::Mutex mu_;
    bool security_ GUARDED_BY(mu_) = false;
};

}  // namespace winsim::detail
