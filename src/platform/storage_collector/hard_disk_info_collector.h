#pragma once

namespace StorageCollector {

// Facts about the machine's system drive (StorageCollector library).
class HardDiskInfoCollector {
  public:
    // True when the system drive is a rotating hard-disk drive; any thread.
    static bool IsDriveTypeHDD();
};

}  // namespace StorageCollector
