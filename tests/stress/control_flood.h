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

#include <array>
#include <atomic>
#include <cstdint>
#include <random>

#include "winapi/windows_api.h"

namespace orvstress {

class ControlFlood {
  public:
    // `preShutdownWeight`: how many in a thousand controls are pre-shutdowns (each of which
    // starts the service's take-down if it is the first). `sent` counts the controls delivered,
    // summed across threads.
    ControlFlood(std::uint64_t seed, int preShutdownWeight, std::atomic<int>& sent);

    void SendOne();

  private:
    void SendPowerEvent();
    void SendSessionChange();
    void SendTimeChange();
    // A client code (orv::control_codes), or another standard one.
    void SendKnown(bool client);
    void SendUnknown();
    void Deliver(DWORD control, DWORD eventType, void* eventData);
    // Null now and then, otherwise storage that outlives every handler.
    void* PassedOnData();
    bool OneIn(int n);
    template <class T, std::size_t N>
    T Pick(const std::array<T, N>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, N - 1)(random_)];
    }

    std::mt19937_64 random_;
    const int preShutdownWeight_;
    std::atomic<int>& sent_;
};

}  // namespace orvstress
