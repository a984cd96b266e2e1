#pragma once
// orv::AgentFactory: the process-wide registry through which the client's agents find each
// other. Twelve shared-pointer slots, one per agent interface, and nothing else.
//
// The common base library provides GetInstance, ReleaseInstance and the setters; this library
// provides (and exports) the copy operations. A copy shares every agent (each count rises by
// one); no agent is ever copied.
//
// No lock of its own: reference counts change atomically, so copies may be made and dropped
// on any thread, but storing into a slot while another thread reads it is the caller's
// business.

#include <memory>

#include "shared/agent_interfaces_fwd.h"
#include "shared/export.h"

namespace orv {

class AgentFactory {
  public:
    AgentFactory() = default;
    ~AgentFactory() = default;

    // Copies the slots in slot order.
    ORV_EXPORT AgentFactory(const AgentFactory& other);
    // Assigns slot by slot, in slot order: the source's count rises, the slot takes it, then
    // the old agent's count falls, so an agent whose last reference this drops is destroyed
    // before the later slots are assigned. Self-assignment changes no count in the end.
    ORV_EXPORT AgentFactory& operator=(const AgentFactory& other);

    // Common base library. GetInstance creates the factory on first use; ReleaseInstance
    // destroys it (dropping the factory's references), after which GetInstance creates a
    // fresh one.
    static AgentFactory* GetInstance();
    static void ReleaseInstance();

    void SetConfigPolicyAgent(std::shared_ptr<IConfigAgent>& agent);
    void SetNotificationAgent(
        std::shared_ptr<ORV::AgentInterface::Notification::INotificationAgent>& agent);
    void SetDeviceRegistrationAgent(std::shared_ptr<orv::registration::IDeviceRegistration>& agent);
    void SetCoreAdapterAgent(std::shared_ptr<orv_core::ICoreAdapter>& agent);
    void SetMDMAgent(std::shared_ptr<IMDMAgent>& agent);
    void SetDeployAgent(std::shared_ptr<IDeployAgent>& agent);
    void SetDownloadAgent(std::shared_ptr<IDownloadAgent>& agent);
    void SetDataSyncAgent(std::shared_ptr<IDataSyncAgent>& agent);
    void SetAppProvisioningAgent(std::shared_ptr<IAppProvisioningAgent>& agent);
    void SetClientBrokerManager(std::shared_ptr<IClientBrokerManager>& agent);
    void SetExtensionModule(std::shared_ptr<IExtensionModule>& agent);
    void SetEventManager(std::shared_ptr<IEventManager>& agent);

    // How agents reach each other.
    const std::shared_ptr<IConfigAgent>& GetConfigPolicyAgent() const { return config_policy_; }
    const std::shared_ptr<ORV::AgentInterface::Notification::INotificationAgent>&
    GetNotificationAgent() const {
        return notification_;
    }
    const std::shared_ptr<orv::registration::IDeviceRegistration>& GetDeviceRegistrationAgent()
        const {
        return device_registration_;
    }
    const std::shared_ptr<orv_core::ICoreAdapter>& GetCoreAdapterAgent() const {
        return core_adapter_;
    }
    const std::shared_ptr<IMDMAgent>& GetMDMAgent() const { return mdm_; }
    const std::shared_ptr<IDeployAgent>& GetDeployAgent() const { return deploy_; }
    const std::shared_ptr<IDownloadAgent>& GetDownloadAgent() const { return download_; }
    const std::shared_ptr<IDataSyncAgent>& GetDataSyncAgent() const { return data_sync_; }
    const std::shared_ptr<IAppProvisioningAgent>& GetAppProvisioningAgent() const {
        return app_provisioning_;
    }
    const std::shared_ptr<IClientBrokerManager>& GetClientBrokerManager() const {
        return client_broker_;
    }
    const std::shared_ptr<IExtensionModule>& GetExtensionModule() const { return extension_; }
    const std::shared_ptr<IEventManager>& GetEventManager() const { return event_manager_; }

  private:
    // Slot order, which the copy operations follow.
    std::shared_ptr<IConfigAgent> config_policy_;
    std::shared_ptr<ORV::AgentInterface::Notification::INotificationAgent> notification_;
    std::shared_ptr<orv::registration::IDeviceRegistration> device_registration_;
    std::shared_ptr<orv_core::ICoreAdapter> core_adapter_;
    std::shared_ptr<IMDMAgent> mdm_;
    std::shared_ptr<IDeployAgent> deploy_;
    std::shared_ptr<IDownloadAgent> download_;
    std::shared_ptr<IDataSyncAgent> data_sync_;
    std::shared_ptr<IAppProvisioningAgent> app_provisioning_;
    std::shared_ptr<IClientBrokerManager> client_broker_;
    std::shared_ptr<IExtensionModule> extension_;
    std::shared_ptr<IEventManager> event_manager_;
};

}  // namespace orv
