#pragma once
// orv::ORVHelperFactory: the process-wide registry of the client's shared helper objects
// (machine information, applicability evaluator, status manager, device information
// provider). Four shared-pointer slots and nothing else.
//
// The shared-native library provides GetInstance, ReleaseInstance, the setters and the
// getters (names spelled as the client spells them); this library provides (and exports) the
// copy operations, which share every helper and never copy one.
//
// No lock of its own; see orv::AgentFactory for what that means for callers.

#include <memory>

#include "shared/export.h"

class MachineInformation;
class ApplicabilityEvaluator;
namespace ORV {
class OrvStatusManager;
class DeviceInfoProvider;
}  // namespace ORV

namespace orv {

class ORVHelperFactory {
  public:
    ORVHelperFactory() = default;
    ~ORVHelperFactory() = default;

    // Copies the slots in slot order.
    ORV_EXPORT ORVHelperFactory(const ORVHelperFactory& other);
    // Slot by slot as orv::AgentFactory's: a helper whose last reference this drops is
    // destroyed before the later slots are assigned.
    ORV_EXPORT ORVHelperFactory& operator=(const ORVHelperFactory& other);

    // Shared-native library. GetInstance creates the factory on first use; ReleaseInstance
    // destroys it, after which GetInstance creates a fresh one.
    static ORVHelperFactory* GetInstance();
    static void ReleaseInstance();

    void SetMachineInformationAgent(std::shared_ptr<MachineInformation>& machineInformation);
    void SetApplicablityEvaluatorAgent(std::shared_ptr<ApplicabilityEvaluator>& evaluator);
    void SetOrvStatusManager(std::shared_ptr<ORV::OrvStatusManager>& statusManager);
    void SetDeviceInfoProviderAgent(std::shared_ptr<ORV::DeviceInfoProvider>& provider);

    // Each returns a reference to the slot itself.
    std::shared_ptr<MachineInformation>& GetMachineInformationAgent();
    std::shared_ptr<ApplicabilityEvaluator>& GetApplicablilityEvaluatorAgent();
    std::shared_ptr<ORV::OrvStatusManager>& GetOrvStatusManager();
    std::shared_ptr<ORV::DeviceInfoProvider>& GetDeviceInfoProviderAgent();

  private:
    // Slot order, which the copy operations follow.
    std::shared_ptr<MachineInformation> machine_information_;
    std::shared_ptr<ApplicabilityEvaluator> applicability_evaluator_;
    std::shared_ptr<ORV::OrvStatusManager> status_manager_;
    std::shared_ptr<ORV::DeviceInfoProvider> device_info_provider_;
};

}  // namespace orv
