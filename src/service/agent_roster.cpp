// The twelve agents: obtained or built in roster order, held by the service object,
// registered with the agent factory, and handed to the agent initializer.

#include "platform/common_base/log.h"
#include "platform/common_base/registry_helper.h"
#include "platform/shared_native/applicability_evaluator.h"
#include "service/agent_headers.h"
#include "service/orv_client_service.h"
#include "shared/agent_factory.h"
#include "shared/agent_initializer.h"
#include "shared/device_info_provider.h"
#include "shared/orv_helper_factory.h"
#include "shared/orv_status_manager.h"
#include "shared/stateless_helpers.h"

namespace {

// A singleton agent joins the roster as its IORVAgent view; the service's field owns the
// object through the dynamic down-cast of that view (null stays null).
template <class Agent, class Interface>
IORVAgent* Adopt(Agent* instance, std::shared_ptr<Interface>& field) {
    IORVAgent* view = instance;
    field = std::shared_ptr<Interface>(dynamic_cast<Agent*>(view));
    return view;
}

template <class Agent, class Interface>
IORVAgent* AdoptBuilt(std::shared_ptr<Agent> built, std::shared_ptr<Interface>& field) {
    field = built;
    return built.get();
}

}  // namespace

OrvClientService::HelperReferences OrvClientService::SetUpHelperFactory() {
    HelperReferences helpers;
    _factoriesHeld = true;
    WithHelperFactory([&helpers](orv::ORVHelperFactory& factory) {
        helpers.statusManager.reset(ORV::OrvStatusManager::GetInstance());
        factory.SetOrvStatusManager(helpers.statusManager);
        helpers.deviceInfoProvider.reset(ORV::DeviceInfoProvider::GetInstance());
        factory.SetDeviceInfoProviderAgent(helpers.deviceInfoProvider);
        helpers.applicabilityEvaluator.reset(ApplicabilityEvaluator::GetInstance());
        factory.SetApplicablityEvaluatorAgent(helpers.applicabilityEvaluator);
    });
    if (helpers.applicabilityEvaluator != nullptr) {
        ApplicabilityEvaluator::SetOrvIsStoppingHandle(_hStopEvent);
    }
    return helpers;
}

void OrvClientService::CreateFirstAgentGroup(Roster& roster) {
    orv::AgentFactory* agents = orv::AgentFactory::GetInstance();

    roster[0] = Adopt(DownloadAgent::GetInstance(), _downloadAgent);
    agents->SetDownloadAgent(_downloadAgent);

    roster[1] = Adopt(ConfigPolicyAgent::GetInstance(), _configPolicyAgent);
    agents->SetConfigPolicyAgent(_configPolicyAgent);

    // The core adapter is deliberately built without the configuration policy agent.
    roster[2] =
        AdoptBuilt(std::make_shared<CoreAdapterAgent>(nullptr, std::shared_ptr<IConfigAgent>(),
                                                      ORV::EpUrlProvider::GetInstance()),
                   _coreAdapterAgent);
    agents->SetCoreAdapterAgent(_coreAdapterAgent);

    CriticalEventLogger::Init({});

    roster[3] = Adopt(MDMAgent::GetInstance(), _mdmAgent);
    agents->SetMDMAgent(_mdmAgent);

    roster[4] =
        AdoptBuilt(std::make_shared<orv::registration::DeviceRegistrationAgent>(
                       _coreAdapterAgent, std::shared_ptr<CoreDeviceProvisionUtility>(),
                       std::shared_ptr<DeviceProvisionUtility>(), ORV::EpUrlProvider::GetInstance(),
                       std::shared_ptr<NetworkUtility>(), std::shared_ptr<DateTimeHelper>(),
                       std::make_shared<ORV::RegistryHelper>()),
                   _deviceRegistrationAgent);
    agents->SetDeviceRegistrationAgent(_deviceRegistrationAgent);
}

void OrvClientService::CreateSecondAgentGroup(Roster& roster) {
    orv::AgentFactory* agents = orv::AgentFactory::GetInstance();

    roster[5] = Adopt(EventManager::GetInstance(_hStatus), _eventManager);
    agents->SetEventManager(_eventManager);

    roster[6] = Adopt(NotificationAgent::GetInstance({}, {}, {}, {}, {}), _notificationAgent);
    agents->SetNotificationAgent(_notificationAgent);

    roster[7] = Adopt(AppProvisioningAgent::GetInstance(), _appProvisioningAgent);
    agents->SetAppProvisioningAgent(_appProvisioningAgent);

    roster[8] = Adopt(ClientBrokerManager::GetInstance(), _clientBrokerManager);
    agents->SetClientBrokerManager(_clientBrokerManager);

    roster[9] = Adopt(DataSyncAgent::GetInstance(), _dataSyncAgent);
    agents->SetDataSyncAgent(_dataSyncAgent);

    roster[10] = Adopt(DeployAgent::GetInstance(), _deployAgent);
    agents->SetDeployAgent(_deployAgent);

    roster[11] = Adopt(ORV::ExtensionModule::GetInstance(), _extensionModule);
    agents->SetExtensionModule(_extensionModule);

    tsa::MutexViewLock lock(_agentsLock);
    _agents.reserve(roster.size());
    _agents.assign(roster.begin(), roster.end());
}

bool OrvClientService::InitializeAgents() {
    AgentInitializer* initializer = AgentInitializer::GetInstance();
    {
        // UnInit may read the roster from the stop's thread meanwhile.
        tsa::MutexViewLock lock(_agentsLock);
        initializer->SetORVAgents(_agents);
    }
    return initializer->InitializeAllAgents(_hStopEvent, _agentsMutex);
}

void OrvClientService::FullyInitializeAgents() {
    AgentInitializer::GetInstance()->FullInitializeAllAgents(_hStopEvent, _agentsMutex);
    _fullyInitialized = true;
}
