#pragma once
// Random service controls, delivered through the library's OnServiceControlHandle as the
// Service Control Manager delivers them.
//
// Known and unknown control codes, any event type, and event data as Windows could hand it
// over: null, or a record at least as long as the event type implies (a power-setting change
// with any data length, a session notification with any size field and session id, a time
// change with any pair of FILETIMEs). The records the library must copy live only for the
// call, as the Service Control Manager's do, so a handler that kept the pointer would read
// freed memory under AddressSanitizer. Codes whose data the library passes on uncopied get
// null or storage that lives as long as the process.

#include <atomic>
#include <cstdint>
#include <map>
#include <random>
#include <string>

#include "winapi/windows_api.h"

namespace orvstress {

// How many controls of each kind a flood delivered; summed across threads.
struct FloodCounts {
    std::atomic<int> total{0};
    std::atomic<int> power{0};
    std::atomic<int> powerSetting{0};
    std::atomic<int> session{0};
    std::atomic<int> timeChange{0};
    std::atomic<int> client{0};  // 210, 211, 220, 221
    std::atomic<int> preShutdown{0};
    std::atomic<int> otherKnown{0};
    std::atomic<int> unknown{0};
    std::atomic<int> nullData{0};

    // "total=... power=... ..." for the run's summary line.
    std::string Summary() const;
};

class ControlFlood {
  public:
    // `preShutdownWeight`: how many in a thousand controls are pre-shutdowns (each of which
    // starts the service's take-down if it is the first).
    ControlFlood(std::uint64_t seed, int preShutdownWeight, FloodCounts& counts);

    // Delivers one random control and counts it.
    void SendOne();

  private:
    void SendPowerEvent();
    void SendSessionChange();
    void SendTimeChange();
    void SendClientControl();
    void SendOtherKnown();
    void SendUnknown();
    void Deliver(DWORD control, DWORD eventType, void* eventData);
    // Null now and then, otherwise storage that outlives every handler.
    void* PassedOnData();
    bool OneIn(int n);

    std::mt19937_64 random_;
    const int preShutdownWeight_;
    FloodCounts& counts_;
};

}  // namespace orvstress
