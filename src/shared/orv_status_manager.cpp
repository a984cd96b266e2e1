#include "shared/orv_status_manager.h"

namespace ORV {

// Reverse declaration order: the string, the map (each entry's list, then the entries), then
// the mutex.
OrvStatusManager::~OrvStatusManager() = default;

}  // namespace ORV
