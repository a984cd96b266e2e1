#include "platform/core/core_api.h"

#include "shared/orvcore_types.h"
#include "sim/trace.h"

namespace ORVCore {
namespace {

constexpr char kComponent[] = "ORVCore";

class CoreApi final : public ICoreApi {
  public:
    BoolResult OnServiceStop() override {
        // The core has no requests of its own outstanding here; the call is what the client sees.
        orvsim::TraceCall(kComponent, "OnServiceStop");
        return BoolResult{true, {}};
    }
};

}  // namespace

ICoreApi* GetInst_CoreApi() {
    orvsim::TraceCall(kComponent, "GetInst_CoreApi");
    static CoreApi api;
    return &api;
}

void ECCrypt_Delete(IECCrypt* crypt) {
    orvsim::TraceCall(kComponent, "ECCrypt_Delete", static_cast<const void*>(crypt));
    delete crypt;
}

}  // namespace ORVCore
