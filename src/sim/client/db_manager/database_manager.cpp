#include "platform/db_manager/database_manager.h"

#include "sim/client/quiet_trace.h"

namespace ORV {

DatabaseManager* DatabaseManager::GetInstance() {
    orvsim::client::TraceClientCall("ORV::DatabaseManager", "GetInstance");
    static DatabaseManager manager;
    return &manager;
}

}  // namespace ORV
