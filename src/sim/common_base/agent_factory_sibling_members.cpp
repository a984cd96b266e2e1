#include "shared/agent_factory.h"

#include <memory>

#include "base/annotated_mutex.h"
#include "sim/trace.h"

namespace orv {
namespace {

constexpr char kComponent[] = "orv::AgentFactory";

tsa::Mutex g_factoryMutex;
std::unique_ptr<AgentFactory> g_factory GUARDED_BY(g_factoryMutex);

template <class Interface>
void Store(std::shared_ptr<Interface>& slot, std::shared_ptr<Interface>& agent,
           const char* setter) {
    orvsim::TraceCall(kComponent, setter, static_cast<const void*>(agent.get()));
    slot = agent;
}

}  // namespace

AgentFactory* AgentFactory::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    tsa::MutexLock lock(g_factoryMutex);
    if (!g_factory) {
        g_factory = std::make_unique<AgentFactory>();
    }
    return g_factory.get();
}

void AgentFactory::ReleaseInstance() {
    orvsim::TraceCall(kComponent, "ReleaseInstance");
    std::unique_ptr<AgentFactory> released;
    {
        tsa::MutexLock lock(g_factoryMutex);
        released = std::move(g_factory);
    }
    // Destroyed outside the lock: dropping the last reference to an agent runs its
    // destructor, which may well reach for the factory.
    released.reset();
}

void AgentFactory::SetConfigPolicyAgent(std::shared_ptr<IConfigAgent>& agent) {
    Store(config_policy_, agent, "SetConfigPolicyAgent");
}

void AgentFactory::SetNotificationAgent(
    std::shared_ptr<ORV::AgentInterface::Notification::INotificationAgent>& agent) {
    Store(notification_, agent, "SetNotificationAgent");
}

void AgentFactory::SetDeviceRegistrationAgent(
    std::shared_ptr<orv::registration::IDeviceRegistration>& agent) {
    Store(device_registration_, agent, "SetDeviceRegistrationAgent");
}

void AgentFactory::SetCoreAdapterAgent(std::shared_ptr<orv_core::ICoreAdapter>& agent) {
    Store(core_adapter_, agent, "SetCoreAdapterAgent");
}

void AgentFactory::SetMDMAgent(std::shared_ptr<IMDMAgent>& agent) {
    Store(mdm_, agent, "SetMDMAgent");
}

void AgentFactory::SetDeployAgent(std::shared_ptr<IDeployAgent>& agent) {
    Store(deploy_, agent, "SetDeployAgent");
}

void AgentFactory::SetDownloadAgent(std::shared_ptr<IDownloadAgent>& agent) {
    Store(download_, agent, "SetDownloadAgent");
}

void AgentFactory::SetDataSyncAgent(std::shared_ptr<IDataSyncAgent>& agent) {
    Store(data_sync_, agent, "SetDataSyncAgent");
}

void AgentFactory::SetAppProvisioningAgent(std::shared_ptr<IAppProvisioningAgent>& agent) {
    Store(app_provisioning_, agent, "SetAppProvisioningAgent");
}

void AgentFactory::SetClientBrokerManager(std::shared_ptr<IClientBrokerManager>& agent) {
    Store(client_broker_, agent, "SetClientBrokerManager");
}

void AgentFactory::SetExtensionModule(std::shared_ptr<IExtensionModule>& agent) {
    Store(extension_, agent, "SetExtensionModule");
}

void AgentFactory::SetEventManager(std::shared_ptr<IEventManager>& agent) {
    Store(event_manager_, agent, "SetEventManager");
}

}  // namespace orv
