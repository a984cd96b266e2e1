#pragma once
// LogThrottler: keeps a repeated log message from flooding the log (common base library).
// This library provides (and exports) its constructor and destructor.

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

#include "shared/export.h"

class LogThrottler {
  public:
    // What the throttler remembers of one message; together with its key, 128 bytes.
    struct Entry {
        std::wstring lastText;
        std::int64_t windowStartMs = 0;
        std::int64_t lastLoggedMs = 0;
        std::uint64_t count = 0;
        std::uint64_t suppressed = 0;
        std::int64_t intervalMs = 0;
        std::uint64_t level = 0;
        std::uint64_t flags = 0;
        std::uint64_t threadId = 0;
    };

    ORV_EXPORT LogThrottler();   // an empty map and a fresh mutex
    ORV_EXPORT ~LogThrottler();  // destroys the mutex, then the map

    LogThrottler(const LogThrottler&) = delete;
    LogThrottler& operator=(const LogThrottler&) = delete;

  private:
    // Message key -> what was seen of it. Guarded by mutex_.
    std::unordered_map<std::wstring, Entry> entries_;
    std::mutex mutex_;
};
