#include "service_fixture.h"

#include <spdlog/sinks/base_sink.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>

#include "host/machine/machine_setup.h"
#include "sim/client/client_control.h"
#include "sim/common_base/common_base_control.h"
#include "winapi/control/machine_control.h"

namespace orvtest {

namespace {

// Set once a service has run in this process; the library's once-per-process take-down
// makes a second one behave differently.
bool g_serviceRanInThisProcess = false;

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

bool AdvanceUntil(const std::function<bool()>& evidence, std::chrono::milliseconds step) {
    const auto deadline = std::chrono::steady_clock::now() + kEventually;
    do {
        winsim::clock::Advance(step);
        if (WaitUntil(evidence, 100ms)) {
            return true;
        }
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

void ArrangeHangingStep(const std::wstring& agent,
                        orvsim::AgentStep orvsim::AgentBehaviour::*step) {
    orvsim::AgentBehaviour behaviour = orvsim::ArrangedAgent(agent);
    (behaviour.*step).duration = 1h;
    orvsim::ArrangeAgent(agent, behaviour);
}

int CountOf(std::wstring_view message) {
    const std::vector<std::wstring> messages = Messages();
    return static_cast<int>(std::count(messages.begin(), messages.end(), message));
}

std::vector<std::wstring> MessagesStartingWith(std::wstring_view prefix) {
    std::vector<std::wstring> found;
    for (std::wstring& message : Messages()) {
        if (message.starts_with(prefix)) {
            found.push_back(std::move(message));
        }
    }
    return found;
}

std::uint64_t LogMark() {
    const std::vector<orvsim::LogRecord> records = orvsim::LogRecords();
    return records.empty() ? 0 : records.back().sequence;
}

std::vector<std::wstring> MessagesSince(std::uint64_t mark) {
    std::vector<std::wstring> found;
    for (orvsim::LogRecord& record : orvsim::LogRecords()) {
        if (record.sequence > mark) {
            found.push_back(std::move(record.message));
        }
    }
    return found;
}

std::uint32_t ThreadOf(std::wstring_view message) {
    for (const orvsim::LogRecord& record : orvsim::LogRecords()) {
        if (record.message == message) {
            return record.threadId;
        }
    }
    return 0;
}

bool WaitForMessage(std::wstring_view message, std::chrono::milliseconds timeout) {
    return orvsim::WaitForLog(
        [message](const orvsim::LogRecord& record) { return record.message == message; }, timeout);
}

namespace {

template <class Item, class Show>
::testing::AssertionResult InOrder(const std::vector<Item>& record,
                                   const std::vector<Item>& expected, Show show) {
    auto from = record.begin();
    for (const Item& item : expected) {
        const auto found = std::find(from, record.end(), item);
        if (found == record.end()) {
            const bool anywhere = std::find(record.begin(), record.end(), item) != record.end();
            return ::testing::AssertionFailure()
                   << show(item) << (anywhere ? " came too early" : " is missing");
        }
        from = found + 1;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

::testing::AssertionResult LoggedInOrder(const std::vector<std::wstring>& messages) {
    return InOrder(Messages(), messages,
                   [](const std::wstring& message) { return ::testing::PrintToString(message); });
}

::testing::AssertionResult TracedInOrder(const std::vector<std::string>& calls) {
    std::vector<std::string> traced;
    for (const orvsim::TraceEntry& entry : orvsim::TraceSnapshot()) {
        traced.push_back(entry.component + "::" + entry.operation);
    }
    return InOrder(traced, calls, [](const std::string& call) { return call; });
}

bool WaitForTraced(std::string_view component, std::string_view operation,
                   std::chrono::milliseconds timeout) {
    return orvsim::WaitForTrace(
        [&](const orvsim::TraceEntry& entry) {
            return entry.component == component && entry.operation == operation;
        },
        timeout);
}

std::vector<std::string> ArgumentsOf(std::string_view component, std::string_view operation) {
    const std::vector<orvsim::TraceEntry> entries = orvsim::TraceOf(component, operation);
    EXPECT_FALSE(entries.empty()) << "no call of " << component << "::" << operation;
    return entries.empty() ? std::vector<std::string>{} : entries.front().arguments;
}

bool WaitForPublished(int topicId, int eventState, std::chrono::milliseconds timeout) {
    return orvsim::WaitForPublication(
        [&](const orvsim::Publication& publication) {
            return publication.topicId == topicId && publication.eventState == eventState;
        },
        timeout);
}

int PublishedCount(int topicId, int eventState) {
    const std::vector<orvsim::Publication> publications = orvsim::Publications();
    return static_cast<int>(std::count_if(
        publications.begin(), publications.end(), [&](const orvsim::Publication& publication) {
            return publication.topicId == topicId && publication.eventState == eventState;
        }));
}

HANDLE ServiceStopEvent() {
    const std::vector<std::string> arguments =
        ArgumentsOf("ApplicabilityEvaluator", "SetOrvIsStoppingHandle");
    return arguments.empty()
               ? nullptr
               // The trace holds the handle's value as text: turning it back is the point.
               // NOLINTNEXTLINE(performance-no-int-to-ptr)
               : reinterpret_cast<HANDLE>(std::strtoull(arguments.front().c_str(), nullptr, 16));
}

struct OnLogLine::Sink : spdlog::sinks::base_sink<std::mutex> {
    Sink(std::string message, std::function<void()> action)
        : message(std::move(message)), action(std::move(action)) {}

    void sink_it_(const spdlog::details::log_msg& line) override {
        if (!fired && std::string_view(line.payload.data(), line.payload.size()) == message) {
            fired = true;
            action();
        }
    }
    void flush_() override {}

    const std::string message;
    const std::function<void()> action;
    std::atomic<bool> fired{false};
};

OnLogLine::OnLogLine(const std::wstring& message, std::function<void()> action) {
    std::string utf8;
    for (wchar_t c : message) {
        utf8 += static_cast<char>(c);  // the service's lines are ASCII
    }
    sink_ = std::make_shared<Sink>(std::move(utf8), std::move(action));
    orvsim::AddLogSink(sink_);
}

OnLogLine::~OnLogLine() {
    orvsim::RemoveLogSink(sink_);
}

bool OnLogLine::Fired() const {
    return sink_->fired;
}

void ServiceScenario::SetUp() {
    if (g_serviceRanInThisProcess) {
        GTEST_SKIP() << "needs a process of its own (run it through ctest or with --gtest_filter)";
    }
    orvhost::ArrangeDefaultMachine({kClockScale});
    ReplaceHost();
}

void ServiceScenario::TearDown() {
    WaitForBackgroundStop();
    if (started_ && !stopped_) {
        StopService();  // so that no thread of the service outlives the test
    }
    host_.reset();
    orvsim::ResetClient();
}

void ServiceScenario::StartService() {
    g_serviceRanInThisProcess = true;
    started_ = true;
    stopped_ = false;
    host_->Start();
}

void ServiceScenario::StartUntilFullyInitialized() {
    StartService();
    ASSERT_TRUE(host_->WaitForFullInit(kEventually)) << "the agents never fully initialised";
}

void ServiceScenario::StopService() {
    stopped_ = true;
    EXPECT_FALSE(host_->Stop(kEventually).refused);
}

void ServiceScenario::StopServiceInBackground() {
    stopped_ = true;
    backgroundStop_.emplace([this] { EXPECT_FALSE(host_->Stop(kEventually).refused); });
}

void ServiceScenario::WaitForBackgroundStop() {
    backgroundStop_.reset();  // a jthread joins as it goes
}

void ServiceScenario::ReplaceHost() {
    host_ = std::make_unique<orvhost::ServiceHost>(
        winsim::services::StatusHandle(orvhost::kServiceName));
}

}  // namespace orvtest
