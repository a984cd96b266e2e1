#include "winapi/control/failures.h"

#include "winapi/machine/machine.h"

namespace winsim::failures {

namespace {
detail::FailureInjector& Injector() {
    return detail::Machine::Get().failures;
}
}  // namespace

void FailNext(Call call, unsigned count, LONG code, const Target& target) {
    Injector().FailNext(call, count, code, target);
}

void FailAlways(Call call, LONG code, const Target& target) {
    Injector().FailAlways(call, code, target);
}

void Clear(Call call) {
    Injector().Clear(call);
}

void ClearAll() {
    Injector().ClearAll();
}

uint64_t CallCount(Call call) {
    return Injector().CallCount(call);
}

}  // namespace winsim::failures
