// Value semantics of the plain records: machine and region information, version texts,
// operational events and their manager, diagnostics test names.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shared/diagnostics_tests.h"
#include "shared/machine_information.h"
#include "shared/operational_event.h"
#include "shared/operational_events_manager.h"
#include "shared/orv_info.h"
#include "shared/region_information.h"
#include "test_peer.h"

namespace {

using Peer = SharedTypesTestPeer;

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
        EXPECT_EQ(m.device_extension_keyvalue(), (std::vector<std::wstring>{L"k1=v1", L"k2=v2"}));
        EXPECT_EQ(m.gpu_names(), (std::vector<std::wstring>{L"Adapter One", L"Adapter Two"}));
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
    assigned.set_device_name(L"other");
    assigned = source;
    ExpectFilled(assigned);

    // The copy has the class's own virtual table: the virtual accessor dispatches.
    MachineInformation& asBase = copy;
    EXPECT_EQ(asBase.device_manufacturer(), L"Quelro Manufacturing Ltd.");
}

TEST_F(RecordsTest, MachineInformationSelfAssignmentAndOwnFieldSetterChangeNothing) {
    MachineInformation m;
    Fill(m);
    MachineInformation& alias = m;
    m = alias;
    ExpectFilled(m);

    m.set_device_name(Peer::DeviceName(m));
    EXPECT_EQ(m.device_name(), L"DESKTOP-LONG-MACHINE-NAME");
}

TEST_F(RecordsTest, MachineInformationListsEmptyAndGpuNamesStay) {
    MachineInformation m;
    Fill(m);
    m.device_extension_keyvalue({});
    EXPECT_TRUE(m.device_extension_keyvalue().empty());
    EXPECT_EQ(m.gpu_names().size(), 2u);

    // Changing a returned copy does not reach the record.
    std::vector<std::wstring> names = m.gpu_names();
    names.clear();
    EXPECT_EQ(m.gpu_names().size(), 2u);
}

TEST_F(RecordsTest, RegionAndOrvInfoCopyAndSelfAssign) {
    RegionInformation region;
    region.set_region_name(L"Western Europe");
    region.set_country_code(L"DE");
    region.set_region_info_datetime(L"2024-05-06 07:08:09");
    RegionInformation& alias = region;
    region = alias;
    EXPECT_EQ(region.region_name(), L"Western Europe");
    RegionInformation copy(region);
    EXPECT_EQ(copy.country_code(), L"DE");
    RegionInformation assigned;
    assigned.set_language_code(L"fr-FR");
    assigned = region;
    EXPECT_EQ(assigned.region_info_datetime(), L"2024-05-06 07:08:09");
    EXPECT_TRUE(assigned.language_code().empty());

    OrvInfo info;
    const std::vector<std::wstring*> fields = Peer::Strings(info);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        *fields[i] = L"text number " + std::to_wstring(i) + L" long enough to allocate";
    }
    OrvInfo& infoAlias = info;
    info = infoAlias;
    OrvInfo infoCopy(info);
    OrvInfo infoAssigned;
    infoAssigned = info;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::wstring expected =
            L"text number " + std::to_wstring(i) + L" long enough to allocate";
        EXPECT_EQ(*Peer::Strings(info)[i], expected);
        EXPECT_EQ(*Peer::Strings(infoCopy)[i], expected);
        EXPECT_EQ(*Peer::Strings(infoAssigned)[i], expected);
    }
}

TEST_F(RecordsTest, OperationalEventDefaultsAndMoves) {
    ORV::OperationalEvent event;
    EXPECT_EQ(event.schemaVersion, "1.0");
    EXPECT_EQ(event.eventType, 0);
    EXPECT_TRUE(event.eventId.empty());
    EXPECT_TRUE(event.timestamp.empty());
    EXPECT_TRUE(event.message.empty());
    EXPECT_EQ(event.eventLevel, 0);
    EXPECT_EQ(event.origin, "device");
    EXPECT_TRUE(event.realm.empty());
    EXPECT_EQ(event.platform, "windows");
    EXPECT_TRUE(event.data.isNull());

    event.eventType = 1;
    event.eventLevel = 2;
    event.message = "service started after a long wait";
    event.data["context"] = "Service";

    ORV::OperationalEvent moved(std::move(event));
    EXPECT_EQ(moved.message, "service started after a long wait");
    EXPECT_EQ(moved.data["context"].asString(), "Service");
    for (const std::string* text : {&event.schemaVersion, &event.eventId, &event.timestamp,
                                    &event.message, &event.origin, &event.realm, &event.platform}) {
        EXPECT_TRUE(text->empty());
    }
    EXPECT_EQ(event.eventType, 1);
    EXPECT_EQ(event.eventLevel, 2);

    ORV::OperationalEvent assigned;
    assigned = std::move(moved);
    EXPECT_EQ(assigned.origin, "device");
    EXPECT_EQ(assigned.eventLevel, 2);
    EXPECT_TRUE(moved.origin.empty());
    EXPECT_TRUE(moved.schemaVersion.empty());
    EXPECT_EQ(moved.eventType, 1);

    ORV::OperationalEvent& alias = assigned;
    assigned = std::move(alias);
    assigned = alias;
    EXPECT_EQ(assigned.schemaVersion, "1.0");
    EXPECT_EQ(assigned.data["context"].asString(), "Service");

    ORV::OperationalEvent copy(assigned);
    copy.data["context"] = "Other";
    EXPECT_EQ(assigned.data["context"].asString(), "Service");
}

TEST_F(RecordsTest, OperationalEventsManagerAssignmentKeepsCountsRight) {
    ORV::OperationalEventsManager manager;
    Peer::Realm(manager) = L"realm.example.org";
    const long queueCount = Peer::QueueUseCount(manager);
    const long syncCount = Peer::SyncUseCount(manager);
    ASSERT_GE(queueCount, 1);

    ORV::OperationalEventsManager& alias = manager;
    manager = alias;
    EXPECT_EQ(Peer::QueueUseCount(manager), queueCount);
    EXPECT_EQ(Peer::SyncUseCount(manager), syncCount);
    EXPECT_EQ(Peer::Realm(manager), L"realm.example.org");

    ORV::OperationalEventsManager other;
    other = manager;
    EXPECT_EQ(Peer::QueueUseCount(manager), queueCount + 1);
    EXPECT_EQ(Peer::SyncUseCount(manager), syncCount + 1);
    EXPECT_EQ(Peer::Realm(other), L"realm.example.org");
}

TEST_F(RecordsTest, CloudSyncStartsWithItsPolicyAndZeroes) {
    const ORV::OperationalEventsCloudSync sync;
    EXPECT_EQ(Peer::Policy(sync),
              (std::vector<std::uint32_t>{100, 3, 60000, 60000, 120000, 240000}));
    EXPECT_EQ(Peer::Counters(sync), (std::vector<std::uint64_t>{0, 0, 0, 0}));
    EXPECT_TRUE(Peer::LastError(sync).empty());
}

TEST_F(RecordsTest, DiagnosticsTestNamesMoveOutCompletely) {
    orv::diagnostics::Tests tests;
    EXPECT_TRUE(tests.hardware.empty() && tests.software.empty() && tests.network.empty() &&
                tests.security.empty());
    tests.hardware = L"memory and disk self-test";
    tests.software = L"driver inventory check";
    tests.network = L"back-end reachability";
    tests.security = L"certificate pinning check";

    orv::diagnostics::Tests moved(std::move(tests));
    EXPECT_EQ(moved.security, L"certificate pinning check");
    EXPECT_TRUE(tests.hardware.empty() && tests.software.empty() && tests.network.empty() &&
                tests.security.empty());

    orv::diagnostics::Tests assigned;
    assigned = std::move(moved);
    EXPECT_EQ(assigned.network, L"back-end reachability");
    EXPECT_TRUE(moved.hardware.empty() && moved.software.empty() && moved.network.empty() &&
                moved.security.empty());

    orv::diagnostics::Tests& alias = assigned;
    assigned = std::move(alias);
    EXPECT_EQ(assigned.hardware, L"memory and disk self-test");
}

}  // namespace
