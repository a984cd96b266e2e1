#include "winapi/control/objects.h"

#include "winapi/machine/machine.h"

namespace winsim::objects {

namespace {
detail::Kernel& TheKernel() {
    return detail::Machine::Get().kernel;
}
}  // namespace

void HoldMutexElsewhere(std::wstring_view name) {
    TheKernel().HoldMutexElsewhere(name);
}

bool ReleaseMutexElsewhere(std::wstring_view name, bool abandoned) {
    return TheKernel().ReleaseMutexElsewhere(name, abandoned);
}

std::optional<MutexState> GetMutexState(std::wstring_view name) {
    return TheKernel().GetMutexState(name);
}

bool NamedObjectExists(std::wstring_view name) {
    return TheKernel().NamedObjectExists(name);
}

}  // namespace winsim::objects
