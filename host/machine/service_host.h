#pragma once
// ServiceHost: plays the Windows service host for the library. It calls the three entry
// points as a host process would (OnStart on a start thread of its own, controls with their
// Windows event-data records, OnStop on the caller's thread) and notes when each happened on
// the machine's clock, and on which thread.
//
// As a real host, it calls OnStop only for a service object that OnStart has created: a stop
// right after a start waits for the object (or is refused, saying why), so that no service
// is left running with nothing to stop it.
//
// Threads: any thread may call anything here, also several at once (a scenario races a stop
// against a control); the record is guarded by one mutex. The start threads are owned by the
// host and joined by Stop (those started before it) or by the destructor.

#include <chrono>
#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/annotated_mutex.h"
#include "winapi/windows_api.h"

namespace orvhost {

// One call of OnStart or OnStop, on the machine's monotonic clock.
struct EntryCall {
    std::string entry;           // "OnStart" or "OnStop"
    std::uint32_t threadId = 0;  // 0 until an OnStart's thread runs
    std::chrono::milliseconds began{0};
    std::optional<std::chrono::milliseconds> returned;
    // The exception that left the entry point, as "<type>: <message>" (on Windows it would
    // have ended the service host's process), and whether the scenario said it would.
    std::optional<std::string> escaped;
    bool escapeExpected = false;
    bool created = false;  // OnStart: the service object exists, or OnStart returned
};

struct StopResult {
    std::optional<std::string> refused;  // OnStop was not called, and why
    std::optional<std::string> escaped;  // the exception that escaped OnStop
};

struct DeliveredControl {
    DWORD control = 0;
    DWORD eventType = 0;
    bool hasData = false;
    std::uint32_t threadId = 0;
    std::chrono::milliseconds at{0};
    // What the library's handler answered; empty while it runs.
    std::optional<DWORD> returned = std::nullopt;
};

class ServiceHost {
  public:
    explicit ServiceHost(SERVICE_STATUS_HANDLE statusHandle);
    ~ServiceHost();
    ServiceHost(const ServiceHost&) = delete;
    ServiceHost& operator=(const ServiceHost&) = delete;

    // Calls OnStart on a new start thread and returns at once. The future becomes ready when
    // OnStart has returned, with the exception that escaped it, if one did (the host contains
    // it and goes on; see EntryCall::escaped).
    std::shared_future<std::optional<std::string>> Start(bool escapeExpected = false);
    // Waits until OnStart has returned; false after `realTimeout`.
    bool WaitForStartReturned(std::chrono::milliseconds realTimeout);
    // Waits until the worker has fully initialised the agents; false after `realTimeout`.
    bool WaitForFullInit(std::chrono::milliseconds realTimeout);

    // Delivers one control through OnServiceControlHandle, as the Service Control Manager does.
    void SendControl(DWORD control, DWORD eventType = 0, void* eventData = nullptr);
    void SendSessionChange(DWORD reason, DWORD sessionId);
    void SendPowerEvent(DWORD eventType);
    // PBT_POWERSETTINGCHANGE with a POWERBROADCAST_SETTING carrying `data`.
    void SendPowerSetting(const GUID& setting, const std::vector<std::uint8_t>& data);
    void SendTimeChange(int64_t oldFileTime, int64_t newFileTime);
    // A clock change as Windows makes one: the wall clock moves, the System event log gets
    // its time-change event, and the service receives SERVICE_CONTROL_TIMECHANGE.
    void ChangeClock(std::chrono::milliseconds delta);

    // Once every OnStart begun so far has created the service object or returned (waiting up
    // to `creationTimeout` real time for that), calls OnStop and then joins the start threads
    // started so far. Refuses when the wait times out.
    StopResult Stop(std::chrono::milliseconds creationTimeout);
    // Whether a service object may exist that no OnStop has been called for: an OnStart
    // began after the last call of OnStop.
    bool ServiceMayRun() const;

    int ControlsDelivered() const;
    std::vector<DeliveredControl> Controls() const;
    std::vector<EntryCall> EntryCalls() const;
    // Machine-clock durations; empty until the event happened.
    std::optional<std::chrono::milliseconds> TimeToFullInit() const;
    std::optional<std::chrono::milliseconds> TimeToStop() const;

  private:
    std::size_t BeginEntryLocked(const char* entry) REQUIRES(mutex_);
    void EndEntry(std::size_t index, std::optional<std::string> escaped);
    void JoinStartThreads();
    // Whether every OnStart begun so far has created the service object or returned; names
    // the first that has not in `waitingFor`.
    bool StartsCreated(std::string& waitingFor);

    const SERVICE_STATUS_HANDLE statusHandle_;
    mutable tsa::Mutex mutex_;
    std::vector<std::thread> startThreads_ GUARDED_BY(mutex_);
    std::vector<EntryCall> entries_ GUARDED_BY(mutex_);
    std::vector<DeliveredControl> controls_ GUARDED_BY(mutex_);
    std::optional<std::chrono::milliseconds> fullInitAt_ GUARDED_BY(mutex_);
    tsa::Mutex joinMutex_;  // one Stop joins at a time; taken before mutex_, never after
};

}  // namespace orvhost
