#pragma once

// The client's core library (orvcore), as far as the service and the shared types use it.

#include "shared/orvcore_types.h"  // BoolResult

namespace ORVCore {

// The core library's process-wide API.
class ICoreApi {
  public:
    virtual ~ICoreApi() = default;

    // Tells the core that the service is stopping: it cancels outstanding requests. Returns
    // whether that went well and, if not, why. Any thread; later calls do nothing more.
    virtual BoolResult OnServiceStop() = 0;
};

// The process-wide core API; never null, never deleted by callers.
ICoreApi* GetInst_CoreApi();

// An elliptic-curve crypto object of the core library. Only ECCrypt_Delete destroys one.
class IECCrypt {
  public:
    virtual ~IECCrypt() = default;
};

// Destroys a crypto object made by the core library; null is ignored.
void ECCrypt_Delete(IECCrypt* crypt);

}  // namespace ORVCore
