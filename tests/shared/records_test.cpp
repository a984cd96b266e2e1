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
    MachineInformation full;
    Fill(full);
    ExpectValueSemantics(full, MachineInformation(), ExpectFilled, ExpectFilled);

    // A field passed to its own setter changes nothing.
    full.set_device_name(Peer::DeviceName(full));
    ExpectFilled(full);
    // Emptying the extension list leaves the adapters, which no setter reaches.
    full.device_extension_keyvalue({});
    EXPECT_TRUE(full.device_extension_keyvalue().empty());
    EXPECT_EQ(full.gpu_names().size(), 2u);
}

TEST_F(RecordsTest, RegionInformationAndOperationalEventsCopyAndMoveWhole) {
    RegionInformation region;
    region.set_region_name(L"Western Europe and the Nordics");
    region.set_region_info_datetime(L"2024-05-06 07:08:09");
    RegionInformation otherRegion;
    otherRegion.set_language_code(L"fr-FR");
    const auto regionWhole = [](RegionInformation& r) {
        EXPECT_EQ(r.region_name(), L"Western Europe and the Nordics");
        EXPECT_EQ(r.region_info_datetime(), L"2024-05-06 07:08:09");
        EXPECT_TRUE(r.language_code().empty());
    };
    ExpectValueSemantics(region, otherRegion, regionWhole, regionWhole);

    // Moves empty the strings and keep the numbers.
    ORV::OperationalEvent event;
    event.eventType = 1;
    event.eventLevel = 2;
    event.data["context"] = "Service";
    ExpectValueSemantics(
        event, ORV::OperationalEvent(),
        [](ORV::OperationalEvent& e) {
            EXPECT_EQ(e.schemaVersion, "1.0");
            EXPECT_EQ(e.eventType, 1);
            EXPECT_EQ(e.eventLevel, 2);
            EXPECT_EQ(e.data["context"].asString(), "Service");
        },
        [](ORV::OperationalEvent& e) {
            EXPECT_TRUE(e.schemaVersion.empty() && e.origin.empty() && e.platform.empty());
            EXPECT_EQ(e.eventType, 1);
            EXPECT_EQ(e.eventLevel, 2);
        });

    orv::diagnostics::Tests tests;
    tests.hardware = L"memory and disk self-test";
    tests.security = L"certificate pinning check";
    ExpectValueSemantics(
        tests, orv::diagnostics::Tests(),
        [](orv::diagnostics::Tests& t) {
            EXPECT_EQ(t.hardware, L"memory and disk self-test");
            EXPECT_EQ(t.security, L"certificate pinning check");
        },
        [](orv::diagnostics::Tests& t) {
            EXPECT_TRUE(t.hardware.empty() && t.software.empty() && t.network.empty() &&
                        t.security.empty());
        });
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

}  // namespace
// NOLINTEND(bugprone-use-after-move)
