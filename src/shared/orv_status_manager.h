#pragma once
// ORV::OrvStatusManager: the client's record of its current errors, per component. The
// shared-native library provides construction, GetInstance, ClearAllErrors and Uninit; this
// library provides the destructor, exported.

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "shared/export.h"

namespace ORV {

// One recorded error: plain data, 24 bytes.
struct OrvStatusRecord {
    std::int32_t errorCode;
    std::int32_t severity;
    std::int64_t timestamp;  // seconds since the epoch
    std::int64_t detail;
};
static_assert(sizeof(OrvStatusRecord) == 24);

class OrvStatusManager {
  public:
    // Shared-native library.
    OrvStatusManager();
    // The process-wide manager. The caller (the service) puts it under a shared pointer that
    // owns it.
    static OrvStatusManager* GetInstance();
    // Forgets every recorded error. Any thread.
    void ClearAllErrors();
    // Shuts the manager down; it records nothing afterwards.
    void Uninit();

    // Destroys the narrow string, the map (every list of every entry, then the entries),
    // then the mutex.
    ORV_EXPORT ~OrvStatusManager();

    OrvStatusManager(const OrvStatusManager&) = delete;
    OrvStatusManager& operator=(const OrvStatusManager&) = delete;

  private:
    std::mutex mutex_;
    // Component id -> its recorded errors. Guarded by mutex_.
    std::unordered_map<std::uint64_t, std::vector<OrvStatusRecord>> errors_;
    // Why the manager was shut down, empty while it runs. Guarded by mutex_.
    std::string state_;
};

}  // namespace ORV
