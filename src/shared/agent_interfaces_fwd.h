#pragma once
// Forward declarations of the agent interfaces that the factories hold. Their definitions
// belong to the agent libraries (src/platform/); holding and copying a shared pointer does not
// need them.

class IORVAgent;
class IConfigAgent;
class IMDMAgent;
class IDeployAgent;
class IDownloadAgent;
class IDataSyncAgent;
class IAppProvisioningAgent;
class IClientBrokerManager;
class IExtensionModule;
class IEventManager;

namespace ORV::AgentInterface::Notification {
class INotificationAgent;
}  // namespace ORV::AgentInterface::Notification

namespace orv::registration {
class IDeviceRegistration;
}  // namespace orv::registration

namespace orv_core {
class ICoreAdapter;
}  // namespace orv_core
