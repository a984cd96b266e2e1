#pragma once
// Reaches the fields of the shared types that have no accessor, so that tests can arrange
// and check them. Befriended by those types.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "shared/machine_information.h"
#include "shared/operational_events_manager.h"

class SharedTypesTestPeer {
  public:
    static std::array<std::uint8_t, 40>& Block(MachineInformation& m) { return m.platform_block_; }
    static std::uint8_t& Flag(MachineInformation& m) { return m.platform_flag_; }
    static std::vector<std::wstring>& GpuNames(MachineInformation& m) { return m.gpu_names_; }
    static std::wstring& DeviceName(MachineInformation& m) { return m.device_name_; }

    static long QueueUseCount(const ORV::OperationalEventsManager& m) {
        return m.queue_.use_count();
    }
    static long SyncUseCount(const ORV::OperationalEventsManager& m) { return m.sync_.use_count(); }
    static std::wstring& Realm(ORV::OperationalEventsManager& m) { return m.realm_; }
};
