#include "platform/core/core_api.h"

#include "shared/orvcore_types.h"
#include "sim/client/quiet_trace.h"

namespace ORVCore {
namespace {

constexpr char kComponent[] = "ORVCore";

class CoreApi final : public ICoreApi {
  public:
    BoolResult OnServiceStop() override {
        // The core has no requests of its own outstanding here; the call is what the client sees.
        orvsim::client::TraceClientCall(kComponent, "OnServiceStop");
        return BoolResult{true, {}};
    }
};

}  // namespace

ICoreApi* GetInst_CoreApi() {
    orvsim::client::TraceClientCall(kComponent, "GetInst_CoreApi");
    static CoreApi api;
    return &api;
}

void ECCrypt_Delete(IECCrypt* crypt) {
    orvsim::client::TraceClientCall(kComponent, "ECCrypt_Delete", static_cast<const void*>(crypt));
    delete crypt;
}

}  // namespace ORVCore
