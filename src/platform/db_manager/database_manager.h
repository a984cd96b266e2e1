#pragma once

namespace ORV {

// The client's local database (DBManager library). Created on first use; the service only
// makes sure that it exists before the agents start.
class DatabaseManager {
  public:
    // The process-wide manager; never null, never deleted by callers.
    static DatabaseManager* GetInstance();

    DatabaseManager(const DatabaseManager&) = delete;
    DatabaseManager& operator=(const DatabaseManager&) = delete;

  private:
    DatabaseManager() = default;
    ~DatabaseManager() = default;
};

}  // namespace ORV
