#include "platform/db_manager/database_manager.h"

#include "sim/trace.h"

namespace ORV {

DatabaseManager* DatabaseManager::GetInstance() {
    orvsim::TraceCall("ORV::DatabaseManager", "GetInstance");
    static DatabaseManager manager;
    return &manager;
}

}  // namespace ORV
