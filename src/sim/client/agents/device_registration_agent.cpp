#include "platform/agents/device_registration_agent.h"

#include <atomic>
#include <chrono>

#include "sim/client/agent_construction.h"
#include "sim/client/agent_support.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"
#include "sim/common_base/environment_control.h"
#include "winapi/windows_api.h"

namespace {

constexpr char kComponent[] = "DeviceRegistrationAgent";

std::atomic<std::chrono::milliseconds::rep> g_durationMs{0};

}  // namespace

namespace orv::registration {

DeviceRegistrationAgent::DeviceRegistrationAgent(
    std::shared_ptr<orv_core::ICoreAdapter> coreAdapter,
    std::shared_ptr<CoreDeviceProvisionUtility> coreProvisioning,
    std::shared_ptr<DeviceProvisionUtility> provisioning,
    std::shared_ptr<ORV::EpUrlProvider> epUrlProvider, std::shared_ptr<NetworkUtility> network,
    std::shared_ptr<DateTimeHelper> dateTime, std::shared_ptr<ORV::RegistryHelper> registry)
    : IORVAgent(L"DeviceRegistrationAgent"),
      coreAdapter_(std::move(coreAdapter)),
      coreProvisioning_(std::move(coreProvisioning)),
      provisioning_(std::move(provisioning)),
      epUrlProvider_(std::move(epUrlProvider)),
      network_(std::move(network)),
      dateTime_(std::move(dateTime)),
      registry_(std::move(registry)) {
    orvsim::TraceCall(
        kComponent, "DeviceRegistrationAgent", static_cast<const void*>(coreAdapter_.get()),
        static_cast<const void*>(coreProvisioning_.get()),
        static_cast<const void*>(provisioning_.get()),
        static_cast<const void*>(epUrlProvider_.get()), static_cast<const void*>(network_.get()),
        static_cast<const void*>(dateTime_.get()), static_cast<const void*>(registry_.get()));
    orvsim::client::ThrowIfConstructionFails(kComponent);
    orvsim::client::AgentCreated(this);
}

DeviceRegistrationAgent::~DeviceRegistrationAgent() {
    orvsim::client::AgentDestroyed(this);
}

bool DeviceRegistrationAgent::Init() {
    return orvsim::client::TrackedInit(this, [this] { return IORVAgent::Init(); });
}

RegistrationResult DeviceRegistrationAgent::RegisterDevice(RegistrationRequest request) {
    orvsim::TraceCall(kComponent, "RegisterDevice", request.reason, request.maxAttempts,
                      request.force);
    if (const auto duration = g_durationMs.load(); duration > 0) {
        Sleep(static_cast<DWORD>(duration));  // the back end's round trips, on the machine's clock
    }
    const RegistrationResult result = orvsim::ArrangedRegistration();
    orvsim::TraceCall(kComponent, "RegisterDeviceDone", result.success, result.errorCode);
    return result;
}

}  // namespace orv::registration

namespace orvsim {

void ArrangeRegistrationDuration(std::chrono::milliseconds duration) {
    g_durationMs = duration.count();
}

namespace client {

void ResetRegistrationAgent() {
    g_durationMs = 0;
}

}  // namespace client
}  // namespace orvsim
