#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "client_fixture.h"
#include "platform/shared_native/applicability_evaluator.h"
#include "shared/device_info_provider.h"
#include "shared/machine_information.h"
#include "shared/orv_helper_factory.h"
#include "shared/orv_status_manager.h"
#include "winapi/control/registry.h"

namespace {

constexpr wchar_t kBiosKey[] = L"HARDWARE\\DESCRIPTION\\System\\BIOS";

class DeviceInformationTest : public orvtest::ClientFixture {
  protected:
    void TearDown() override {
        orv::ORVHelperFactory::ReleaseInstance();
        ClientFixture::TearDown();
    }
};

TEST_F(DeviceInformationTest, HelpersAreFreshOnceTheirOwnersHaveLetGo) {
    // As the service holds them: its own shared pointers, copies in the helper factory.
    std::shared_ptr<MachineInformation> machine(MachineInformation::GetInstance());
    std::shared_ptr<ORV::DeviceInfoProvider> provider(ORV::DeviceInfoProvider::GetInstance());
    std::shared_ptr<ORV::OrvStatusManager> status(ORV::OrvStatusManager::GetInstance());
    std::shared_ptr<ApplicabilityEvaluator> evaluator(ApplicabilityEvaluator::GetInstance());
    orv::ORVHelperFactory* factory = orv::ORVHelperFactory::GetInstance();
    factory->SetMachineInformationAgent(machine);
    factory->SetDeviceInfoProviderAgent(provider);
    factory->SetOrvStatusManager(status);
    factory->SetApplicablityEvaluatorAgent(evaluator);
    ASSERT_EQ(provider->Init(machine), 0u);
    ASSERT_FALSE(provider->GetMTM().empty() && provider->GetDeviceManufacturer().empty());
    EXPECT_EQ(ORV::OrvStatusManager::GetInstance(), status.get());

    orv::ORVHelperFactory::ReleaseInstance();
    machine.reset();
    provider.reset();
    status.reset();
    evaluator.reset();

    // A dangling instance would keep its fields (or trip the sanitizer).
    std::shared_ptr<ORV::DeviceInfoProvider> freshProvider(ORV::DeviceInfoProvider::GetInstance());
    EXPECT_TRUE(freshProvider->GetDeviceManufacturer().empty());
    std::shared_ptr<ORV::OrvStatusManager> freshStatus(ORV::OrvStatusManager::GetInstance());
    freshStatus->ClearAllErrors();
    std::shared_ptr<MachineInformation> freshMachine(MachineInformation::GetInstance());
    EXPECT_FALSE(freshMachine->device_info_datetime().empty());
    std::shared_ptr<ApplicabilityEvaluator> freshEvaluator(ApplicabilityEvaluator::GetInstance());
    freshEvaluator->RefreshPersonaTagMonitoring();
    EXPECT_NE(orv::ORVHelperFactory::GetInstance()->GetMachineInformationAgent(), freshMachine)
        << "a released factory comes back empty";
}

TEST_F(DeviceInformationTest, RefreshesAndReadsOfTheRecordMayRunAtOnce) {
    winsim::registry::SetString(kBiosKey, L"SystemSKU", L"21AHCTO1WW");
    std::shared_ptr<MachineInformation> machine(MachineInformation::GetInstance());
    std::shared_ptr<ORV::DeviceInfoProvider> provider(ORV::DeviceInfoProvider::GetInstance());
    // As the service's control pool does with logons, with a reader alongside.
    std::vector<std::thread> threads;
    for (int refresher = 0; refresher < 8; ++refresher) {
        threads.emplace_back([&machine] {
            for (int i = 0; i < 50; ++i) {
                machine->ReInitialize(true);
            }
        });
    }
    threads.emplace_back([&] {
        for (int i = 0; i < 50; ++i) {
            EXPECT_EQ(provider->Init(machine), 0u);
        }
    });
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(machine->device_mt(), L"21AHCTO1WW");
    EXPECT_EQ(provider->GetMTM(), L"21AHCTO1WW");
}

}  // namespace
