#include "host/machine/machine_setup.h"

#include "sim/client/client_control.h"
#include "sim/common_base/common_base_control.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

namespace {
constexpr wchar_t kSetupStateKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";
}

void ArrangeDefaultMachine(const MachineOptions& options) {
    winsim::ResetMachine();
    orvsim::ResetClient();
    orvsim::ResetCommonBase();
    orvsim::ClearTrace();

    winsim::clock::SetScale(options.clockScale);
    winsim::registry::SetString(kSetupStateKey, L"ImageState", L"IMAGE_STATE_COMPLETE");
    winsim::services::ServiceConfig config;
    config.startType = SERVICE_AUTO_START;
    config.delayedAutoStart = false;
    config.displayName = L"ORV Service";
    winsim::services::Install(kServiceName, config);
    orvsim::ArrangeOobeCompleted();
}

}  // namespace orvhost
