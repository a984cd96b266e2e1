// Value semantics of the plain records: machine and region information, operational events
// and their manager, diagnostics test names.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "shared/diagnostics_tests.h"
#include "shared/machine_information.h"
#include "shared/operational_event.h"
#include "shared/operational_events_manager.h"
#include "shared/region_information.h"
#include "test_peer.h"

// These tests look at moved-from objects on purpose.
// NOLINTBEGIN(bugprone-use-after-move)
namespace {

using Peer = SharedTypesTestPeer;
using Texts = std::vector<std::wstring>;

class RecordsTest : public ::testing::Test {
  protected:
    static void Fill(MachineInformation& m) {
        m.set_device_name(L"DESKTOP-LONG-MACHINE-NAME");
        m.set_device_manufacturer(L"Quelro Manufacturing Ltd.");
        m.set_npu_exists(L"not a boolean at all");
        m.set_device_tag(L"device-tag-text");
        m.device_extension_keyvalue({L"k1=v1", L"k2=v2"});
        Peer::GpuNames(m) = {L"Adapter One", L"Adapter Two"};
        m.set_os_is_s_mode(true);
        for (std::size_t i = 0; i < Peer::Block(m).size(); ++i) {
            Peer::Block(m)[i] = static_cast<std::uint8_t>(0xA0 + i);
        }
        Peer::Flag(m) = 0x5A;
    }

    static void ExpectFilled(MachineInformation& m) {
        EXPECT_EQ(m.device_name(), L"DESKTOP-LONG-MACHINE-NAME");
        EXPECT_EQ(m.device_manufacturer(), L"Quelro Manufacturing Ltd.");
        EXPECT_EQ(m.npu_exists(), L"not a boolean at all");
        EXPECT_EQ(m.device_tag(), L"device-tag-text");
        EXPECT_EQ(m.device_extension_keyvalue(), (Texts{L"k1=v1", L"k2=v2"}));
        EXPECT_EQ(m.gpu_names(), (Texts{L"Adapter One", L"Adapter Two"}));
        EXPECT_TRUE(m.os_is_s_mode());
        for (std::size_t i = 0; i < Peer::Block(m).size(); ++i) {
            EXPECT_EQ(Peer::Block(m)[i], static_cast<std::uint8_t>(0xA0 + i)) << i;
        }
        EXPECT_EQ(Peer::Flag(m), 0x5A);
    }
};

TEST_F(RecordsTest, MachineInformationCopiesCarryEveryMemberBytewise) {
    MachineInformation source;
    Fill(source);
    MachineInformation copy(source);
    ExpectFilled(copy);
    MachineInformation assigned;
    assigned = source;
    ExpectFilled(assigned);

    // Self-assignment and a field passed to its own setter change nothing.
    MachineInformation& alias = assigned;
    assigned = alias;
    assigned.set_device_name(Peer::DeviceName(assigned));
    ExpectFilled(assigned);

    // Emptying the extension list leaves the adapters, which no setter reaches.
    assigned.device_extension_keyvalue({});
    EXPECT_TRUE(assigned.device_extension_keyvalue().empty());
    EXPECT_EQ(assigned.gpu_names().size(), 2u);
}

TEST_F(RecordsTest, RegionInformationCopiesAndSelfAssigns) {
    RegionInformation region;
    region.set_region_name(L"Western Europe and the Nordics");
    region.set_region_info_datetime(L"2024-05-06 07:08:09");
    RegionInformation& alias = region;
    region = alias;
    EXPECT_EQ(region.region_name(), L"Western Europe and the Nordics");

    RegionInformation assigned;
    assigned.set_language_code(L"fr-FR");
    assigned = region;
    EXPECT_EQ(RegionInformation(assigned).region_info_datetime(), L"2024-05-06 07:08:09");
    EXPECT_TRUE(assigned.language_code().empty());
}

TEST_F(RecordsTest, OperationalEventMovesEmptyTheStringsAndKeepTheNumbers) {
    ORV::OperationalEvent event;
    event.eventType = 1;
    event.eventLevel = 2;
    event.data["context"] = "Service";
    ORV::OperationalEvent moved(std::move(event));
    ORV::OperationalEvent assigned;
    assigned = std::move(moved);
    for (ORV::OperationalEvent* source : {&event, &moved}) {
        EXPECT_TRUE(source->schemaVersion.empty() && source->origin.empty() &&
                    source->platform.empty());
        EXPECT_EQ(source->eventType, 1);
        EXPECT_EQ(source->eventLevel, 2);
    }
    ORV::OperationalEvent& alias = assigned;
    assigned = std::move(alias);
    assigned = alias;
    EXPECT_EQ(assigned.schemaVersion, "1.0");
    EXPECT_EQ(assigned.data["context"].asString(), "Service");
}

TEST_F(RecordsTest, OperationalEventsManagerAssignmentKeepsCountsRight) {
    ORV::OperationalEventsManager manager;
    Peer::Realm(manager) = L"realm.example.org";
    const long queueCount = Peer::QueueUseCount(manager);
    const long syncCount = Peer::SyncUseCount(manager);
    ORV::OperationalEventsManager& alias = manager;
    manager = alias;
    EXPECT_EQ(Peer::QueueUseCount(manager), queueCount);
    EXPECT_EQ(Peer::SyncUseCount(manager), syncCount);
    EXPECT_EQ(Peer::Realm(manager), L"realm.example.org");

    ORV::OperationalEventsManager other;
    other = manager;
    EXPECT_EQ(Peer::QueueUseCount(manager), queueCount + 1);
    EXPECT_EQ(Peer::Realm(other), L"realm.example.org");
}

TEST_F(RecordsTest, DiagnosticsTestNamesMoveOutCompletely) {
    orv::diagnostics::Tests tests;
    tests.hardware = L"memory and disk self-test";
    tests.security = L"certificate pinning check";
    const auto empty = [](const orv::diagnostics::Tests& t) {
        return t.hardware.empty() && t.software.empty() && t.network.empty() && t.security.empty();
    };
    orv::diagnostics::Tests moved(std::move(tests));
    EXPECT_TRUE(empty(tests));
    orv::diagnostics::Tests assigned;
    assigned = std::move(moved);
    EXPECT_TRUE(empty(moved));
    orv::diagnostics::Tests& alias = assigned;
    assigned = std::move(alias);
    EXPECT_EQ(assigned.security, L"certificate pinning check");
}

}  // namespace
// NOLINTEND(bugprone-use-after-move)
