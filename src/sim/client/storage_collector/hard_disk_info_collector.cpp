#include "platform/storage_collector/hard_disk_info_collector.h"

#include <atomic>

#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"
#include "sim/trace.h"

namespace {

std::atomic<orvsim::DriveType> g_driveType{orvsim::DriveType::kSsd};

}  // namespace

namespace StorageCollector {

bool HardDiskInfoCollector::IsDriveTypeHDD() {
    orvsim::TraceCall("StorageCollector::HardDiskInfoCollector", "IsDriveTypeHDD");
    return g_driveType.load() == orvsim::DriveType::kHdd;
}

}  // namespace StorageCollector

namespace orvsim {

void ArrangeDriveType(DriveType type) {
    g_driveType = type;
}

namespace client {

void ResetStorageCollector() {
    g_driveType = DriveType::kSsd;
}

}  // namespace client
}  // namespace orvsim
