#include "shared/orv_helper_factory.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/annotated_mutex.h"
#include "shared/device_info_provider.h"
#include "shared/machine_information.h"
#include "shared/orv_status_manager.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"
#include "sim/client/shared_native/handed_over.h"
#include "sim/trace.h"

namespace orv {
namespace {

constexpr char kComponent[] = "orv::ORVHelperFactory";

tsa::Mutex g_factoryMutex;
ORVHelperFactory* g_factory GUARDED_BY(g_factoryMutex) = nullptr;  // owned
std::set<std::string, std::less<>> g_emptySlots GUARDED_BY(g_factoryMutex);

bool KeepsNothing(std::string_view slot) {
    tsa::MutexLock lock(g_factoryMutex);
    return g_emptySlots.find(slot) != g_emptySlots.end();
}

// What a setter stores: the helper, or nothing for a slot arranged to stay empty.
template <class Helper>
std::shared_ptr<Helper> Kept(std::string_view slot, const std::shared_ptr<Helper>& helper) {
    return KeepsNothing(slot) ? std::shared_ptr<Helper>() : helper;
}

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
    machine_information_ = Kept("MachineInformation", machineInformation);
    orvsim::TraceCall(kComponent, "SetMachineInformationAgent",
                      static_cast<const void*>(machineInformation.get()));
}

void ORVHelperFactory::SetApplicablityEvaluatorAgent(
    std::shared_ptr<ApplicabilityEvaluator>& evaluator) {
    applicability_evaluator_ = Kept("ApplicabilityEvaluator", evaluator);
    orvsim::TraceCall(kComponent, "SetApplicablityEvaluatorAgent",
                      static_cast<const void*>(evaluator.get()));
}

void ORVHelperFactory::SetOrvStatusManager(std::shared_ptr<ORV::OrvStatusManager>& statusManager) {
    orvsim::client::StatusManagerHandedOver(statusManager);
    status_manager_ = Kept("OrvStatusManager", statusManager);
    orvsim::TraceCall(kComponent, "SetOrvStatusManager",
                      static_cast<const void*>(statusManager.get()));
}

void ORVHelperFactory::SetDeviceInfoProviderAgent(
    std::shared_ptr<ORV::DeviceInfoProvider>& provider) {
    device_info_provider_ = Kept("DeviceInfoProvider", provider);
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

namespace orvsim {

void ArrangeEmptyHelperSlot(std::string_view slot) {
    static constexpr std::string_view kSlots[] = {"MachineInformation", "ApplicabilityEvaluator",
                                                  "OrvStatusManager", "DeviceInfoProvider"};
    if (std::find(std::begin(kSlots), std::end(kSlots), slot) == std::end(kSlots)) {
        throw std::invalid_argument("the helper factory has no slot named " + std::string(slot));
    }
    orv::ORVHelperFactory* factory = nullptr;
    {
        tsa::MutexLock lock(orv::g_factoryMutex);
        orv::g_emptySlots.emplace(slot);
        factory = orv::g_factory;
    }
    if (factory == nullptr) {
        return;
    }
    // The factory there is now loses the helper too, as if it had been handed an empty one.
    TraceSilence quiet;
    if (slot == "MachineInformation") {
        factory->GetMachineInformationAgent().reset();
    } else if (slot == "ApplicabilityEvaluator") {
        factory->GetApplicablilityEvaluatorAgent().reset();
    } else if (slot == "OrvStatusManager") {
        factory->GetOrvStatusManager().reset();
    } else {
        factory->GetDeviceInfoProviderAgent().reset();
    }
}

namespace client {

void ResetHelperFactorySlots() {
    tsa::MutexLock lock(orv::g_factoryMutex);
    orv::g_emptySlots.clear();
}

}  // namespace client
}  // namespace orvsim
