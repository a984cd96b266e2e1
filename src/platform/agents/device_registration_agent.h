#pragma once

#include <cstdint>
#include <memory>

#include "platform/agents/core_adapter_agent.h"
#include "platform/common_base/ep_url_provider.h"
#include "platform/common_base/orv_agent.h"
#include "platform/common_base/registration_result.h"
#include "platform/common_base/registry_helper.h"

// Helpers of the registration agent's library; the service passes none of them.
class CoreDeviceProvisionUtility;
class DeviceProvisionUtility;
class NetworkUtility;
class DateTimeHelper;

namespace orv::registration {

// One request to register the device with the back end.
struct RegistrationRequest {
    std::int32_t reason = 0;       // why the client registers now (6: service start)
    std::int32_t maxAttempts = 0;  // attempts before giving up
    bool force = false;            // register again even when already registered
};

// What other components need of the registration agent.
class IDeviceRegistration {
  public:
    virtual ~IDeviceRegistration() = default;

    // Registers the device; returns when registration succeeded or every attempt failed.
    // On the calling thread.
    virtual RegistrationResult RegisterDevice(RegistrationRequest request) = 0;
};

// The device registration agent (DeviceRegistrationAgent library). Made by the service.
class DeviceRegistrationAgent : public IORVAgent, public IDeviceRegistration {
  public:
    // Any pointer may be empty. Throws std::runtime_error when the construction is arranged
    // to fail.
    DeviceRegistrationAgent(std::shared_ptr<orv_core::ICoreAdapter> coreAdapter,
                            std::shared_ptr<CoreDeviceProvisionUtility> coreProvisioning,
                            std::shared_ptr<DeviceProvisionUtility> provisioning,
                            std::shared_ptr<ORV::EpUrlProvider> epUrlProvider,
                            std::shared_ptr<NetworkUtility> network,
                            std::shared_ptr<DateTimeHelper> dateTime,
                            std::shared_ptr<ORV::RegistryHelper> registry);
    ~DeviceRegistrationAgent() override;

    bool Init() override;
    RegistrationResult RegisterDevice(RegistrationRequest request) override;

  private:
    const std::shared_ptr<orv_core::ICoreAdapter> coreAdapter_;
    const std::shared_ptr<CoreDeviceProvisionUtility> coreProvisioning_;
    const std::shared_ptr<DeviceProvisionUtility> provisioning_;
    const std::shared_ptr<ORV::EpUrlProvider> epUrlProvider_;
    const std::shared_ptr<NetworkUtility> network_;
    const std::shared_ptr<DateTimeHelper> dateTime_;
    const std::shared_ptr<ORV::RegistryHelper> registry_;
};

}  // namespace orv::registration
