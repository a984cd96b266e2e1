#include "shared/orv_helper_factory.h"

#include "shared/device_info_provider.h"
#include "shared/machine_information.h"
#include "shared/orv_status_manager.h"
#include "sim/client/shared_native/handed_over.h"
#include "sim/trace.h"
#include "winapi/annotated_mutex.h"

namespace orv {
namespace {

constexpr char kComponent[] = "orv::ORVHelperFactory";

tsa::Mutex g_factoryMutex;
ORVHelperFactory* g_factory GUARDED_BY(g_factoryMutex) = nullptr;  // owned

}  // namespace

ORVHelperFactory* ORVHelperFactory::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    tsa::MutexLock lock(g_factoryMutex);
    if (g_factory == nullptr) {
        g_factory = new ORVHelperFactory();
    }
    return g_factory;
}

void ORVHelperFactory::ReleaseInstance() {
    orvsim::TraceCall(kComponent, "ReleaseInstance");
    ORVHelperFactory* released = nullptr;
    {
        tsa::MutexLock lock(g_factoryMutex);
        released = g_factory;
        g_factory = nullptr;
    }
    // Outside the lock: the helpers it drops may be destroyed now, and theirs may ask for us.
    delete released;
}

void ORVHelperFactory::SetMachineInformationAgent(
    std::shared_ptr<MachineInformation>& machineInformation) {
    machine_information_ = machineInformation;
    orvsim::TraceCall(kComponent, "SetMachineInformationAgent",
                      static_cast<const void*>(machineInformation.get()));
}

void ORVHelperFactory::SetApplicablityEvaluatorAgent(
    std::shared_ptr<ApplicabilityEvaluator>& evaluator) {
    applicability_evaluator_ = evaluator;
    orvsim::TraceCall(kComponent, "SetApplicablityEvaluatorAgent",
                      static_cast<const void*>(evaluator.get()));
}

void ORVHelperFactory::SetOrvStatusManager(std::shared_ptr<ORV::OrvStatusManager>& statusManager) {
    orvsim::client::StatusManagerHandedOver(statusManager);
    status_manager_ = statusManager;
    orvsim::TraceCall(kComponent, "SetOrvStatusManager",
                      static_cast<const void*>(statusManager.get()));
}

void ORVHelperFactory::SetDeviceInfoProviderAgent(
    std::shared_ptr<ORV::DeviceInfoProvider>& provider) {
    device_info_provider_ = provider;
    orvsim::TraceCall(kComponent, "SetDeviceInfoProviderAgent",
                      static_cast<const void*>(provider.get()));
}

std::shared_ptr<MachineInformation>& ORVHelperFactory::GetMachineInformationAgent() {
    orvsim::TraceCall(kComponent, "GetMachineInformationAgent");
    return machine_information_;
}

std::shared_ptr<ApplicabilityEvaluator>& ORVHelperFactory::GetApplicablilityEvaluatorAgent() {
    orvsim::TraceCall(kComponent, "GetApplicablilityEvaluatorAgent");
    return applicability_evaluator_;
}

std::shared_ptr<ORV::OrvStatusManager>& ORVHelperFactory::GetOrvStatusManager() {
    orvsim::TraceCall(kComponent, "GetOrvStatusManager");
    return status_manager_;
}

std::shared_ptr<ORV::DeviceInfoProvider>& ORVHelperFactory::GetDeviceInfoProviderAgent() {
    orvsim::TraceCall(kComponent, "GetDeviceInfoProviderAgent");
    return device_info_provider_;
}

}  // namespace orv
