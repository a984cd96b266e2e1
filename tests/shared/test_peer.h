#pragma once
// Reaches the fields of the shared types that have no accessor, so that tests can arrange
// and check them (befriended by those types), and runs every copy and move of a value type.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
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

// Copy and move construction and assignment from a filled object `full` into fresh objects
// and into copies of a different `other`, and self-assignment of both kinds: each result
// must pass `expectFull`, each moved-from source `expectMovedFrom` (for a type without moves,
// the copy's check).
// NOLINTBEGIN(bugprone-use-after-move)
template <class T, class Full, class MovedFrom>
void ExpectValueSemantics(const T& full, const T& other, Full expectFull,
                          MovedFrom expectMovedFrom) {
    T copy(full);
    expectFull(copy);
    T assigned(other);
    assigned = full;
    expectFull(assigned);
    T& alias = assigned;
    assigned = alias;
    expectFull(assigned);
    assigned = std::move(alias);
    expectFull(assigned);

    T moved(std::move(copy));
    expectFull(moved);
    expectMovedFrom(copy);
    T moveAssigned(other);
    moveAssigned = std::move(moved);
    expectFull(moveAssigned);
    expectMovedFrom(moved);
}
// NOLINTEND(bugprone-use-after-move)
