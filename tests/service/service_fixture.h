#pragma once
// Shared set-up of the service scenario tests: a machine arranged as orvhost arranges it
// (set-up complete, "ORVService" installed for automatic start), its clock running fast, a
// ServiceHost to drive the entry points, and readers of the log and the call trace.
//
// The library does its agent take-down once per process, so each test needs a process of its
// own: CTest gives it one. When the executable runs several tests in one process, every test
// after the first that started a service is skipped with a note saying so.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "host/machine/service_host.h"
#include "sim/common_base/agent_control.h"
#include "sim/common_base/log_control.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace orvtest {

using namespace std::chrono_literals;

// Generous real-time limit for "this should happen": only reached when something is wrong.
inline constexpr std::chrono::milliseconds kEventually{30000};
// How long to watch for something that must not happen. A wrong service shows itself well
// within it; a right one costs the test this much.
inline constexpr std::chrono::milliseconds kQuietPeriod{300};
// The machine's clock runs this many times as fast as real time, so the mandated waits (the
// 2000 ms of OnStop, the 30000 ms OOBE poll) cost a fraction of their length.
inline constexpr double kClockScale = 50.0;

// The scope texts of the service's log lines.
namespace scope {
inline constexpr std::wstring_view kOnStart = L"OrvClientService::OnStart";
inline constexpr std::wstring_view kWorker = L"OrvClientService::OrvWorkerThread";
inline constexpr std::wstring_view kStopProbe = L"OrvClientService::IsServiceStopInitiated";
inline constexpr std::wstring_view kWaitOobe = L"OrvClientService::WaitOobeCompletion";
inline constexpr std::wstring_view kImageState = L"OrvClientService::CheckImageState";
inline constexpr std::wstring_view kOnStop = L"OrvClientService::OnStop";
inline constexpr std::wstring_view kCleanup = L"OrvClientService::Cleanup";
inline constexpr std::wstring_view kUnInit = L"OrvClientService::UnInit";
inline constexpr std::wstring_view kControl = L"OrvClientService::OnServiceControlHandle";
inline constexpr std::wstring_view kNotification = L"OrvClientService::OnORVNotification";
inline constexpr std::wstring_view kWatcher = L"OrvClientService::CheckAndUpdateORVStartUpType";
inline constexpr std::wstring_view kStartupType = L"OrvClientService::ChangeORVStartUpType";
inline constexpr std::wstring_view kSendTimeChange =
    L"OrvClientService::SendTimeChangeNotification";
inline constexpr std::wstring_view kEventLogCallback = L"OrvClientService::EventLogCallback";
inline constexpr std::wstring_view kTimeDelta = L"OrvClientService::GetTimeDeltaFromEvent";
}  // namespace scope

// "<scope>: <text>", the shape of most of the service's lines.
inline std::wstring Line(std::wstring_view scopeText, std::wstring_view text) {
    return std::wstring(scopeText) + L": " + std::wstring(text);
}

// Polls `condition` until it holds or `timeout` (real time) passes; for state that offers no
// wait of its own. Returns whether it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = kEventually);

// Lets machine time pass in steps of `step` until `evidence` holds: a sleeper that began its
// sleep just after one step still wakes at the next.
bool AdvanceUntil(const std::function<bool()>& evidence, std::chrono::milliseconds step = 1h);

// Makes one step of the named agent take an hour of machine time, so a test can act while the
// step runs and end it with AdvanceUntil.
void ArrangeHangingStep(const std::wstring& agent, orvsim::AgentStep orvsim::AgentBehaviour::*step);

inline std::vector<std::wstring> Messages() {
    return orvsim::LogMessages();
}
inline bool Logged(std::wstring_view message) {
    return orvsim::HasLogMessage(message);
}
inline bool LoggedAt(std::wstring_view message, ORV::Log::Level level) {
    return orvsim::HasLogMessage(message, level);
}
// How many kept lines have exactly this message part.
int CountOf(std::wstring_view message);
// Messages that begin with `prefix`, oldest first.
std::vector<std::wstring> MessagesStartingWith(std::wstring_view prefix);
// The sequence number of the newest kept line, and the messages written after such a mark.
std::uint64_t LogMark();
std::vector<std::wstring> MessagesSince(std::uint64_t mark);
// The thread that wrote the first line with exactly this message part; 0 when none did.
std::uint32_t ThreadOf(std::wstring_view message);
// Waits (real time) until a line with exactly this message part has been written.
bool WaitForMessage(std::wstring_view message, std::chrono::milliseconds timeout = kEventually);
// Whether each message was written, each after the one before it (other lines may come
// between them); the failure names the first message that is missing or out of place.
::testing::AssertionResult LoggedInOrder(const std::vector<std::wstring>& messages);

// Whether each call ("Component::operation") was traced, each after the one before it.
::testing::AssertionResult TracedInOrder(const std::vector<std::string>& calls);
bool WaitForTraced(std::string_view component, std::string_view operation,
                   std::chrono::milliseconds timeout = kEventually);
// The arguments of the first entry of component::operation; fails the test when there is none.
std::vector<std::string> ArgumentsOf(std::string_view component, std::string_view operation);

// Waits until (topicId, eventState) has been published.
bool WaitForPublished(int topicId, int eventState, std::chrono::milliseconds timeout = kEventually);
// How many times (topicId, eventState) has been published.
int PublishedCount(int topicId, int eventState);

// The service's stop event, as it handed it to the applicability evaluator during start-up.
// Setting it is what a stop does to every wait of start-up.
HANDLE ServiceStopEvent();

// Runs `action` on the writing thread, once, when a line with exactly `message` is written,
// before that thread goes on. The action must not log: it runs inside the logger.
class OnLogLine {
  public:
    OnLogLine(const std::wstring& message, std::function<void()> action);
    ~OnLogLine();
    OnLogLine(const OnLogLine&) = delete;
    OnLogLine& operator=(const OnLogLine&) = delete;

    bool Fired() const;

  private:
    struct Sink;
    std::shared_ptr<Sink> sink_;
};

class ServiceScenario : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // OnStart on the host's start thread; returns at once.
    void StartService();
    // Starts and waits until the worker waits for the stop with all agents fully initialised.
    void StartUntilFullyInitialized();
    // OnStop on this thread, then the start thread is joined; or on a thread of its own, for
    // stops that must not block the test.
    void StopService();
    void StopServiceInBackground();
    void WaitForBackgroundStop();

    orvhost::ServiceHost& Host() { return *host_; }
    // A fresh host, for a second service in the same process once the first has stopped.
    void ReplaceHost();

  private:
    std::unique_ptr<orvhost::ServiceHost> host_;
    bool started_ = false;
    bool stopped_ = false;
    std::optional<std::jthread> backgroundStop_;
};

}  // namespace orvtest
