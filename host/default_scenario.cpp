#include "host/default_scenario.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "sim/client/control.h"
#include "sim/common_base/log_control.h"
#include "sim/trace.h"

namespace orvhost {

namespace {

using std::chrono::milliseconds;
using namespace std::chrono_literals;

// Generous real-time limits: a loaded machine is slow, a hung service is not.
constexpr milliseconds kStepTimeout = 30s;

constexpr int kMaintenanceControl = 220;
constexpr DWORD kUserSession = 1;
constexpr milliseconds kClockChange = 90s;

uint64_t LastLogSequence() {
    const std::vector<orvsim::LogRecord> records = orvsim::LogRecords();
    return records.empty() ? 0 : records.back().sequence;
}

// Waits for `count` log lines written after `mark` whose message begins with `prefix`.
bool WaitForNewLines(uint64_t mark, std::wstring_view prefix, int count = 1) {
    const auto deadline = std::chrono::steady_clock::now() + kStepTimeout;
    uint64_t seen = mark;
    int found = 0;
    for (;;) {
        for (const orvsim::LogRecord& record : orvsim::LogRecords()) {
            if (record.sequence > seen) {
                seen = record.sequence;
                found += record.message.starts_with(prefix) ? 1 : 0;
            }
        }
        const auto now = std::chrono::steady_clock::now();
        if (found >= count || now >= deadline) {
            return found >= count;
        }
        orvsim::WaitForLog([seen](const orvsim::LogRecord& record) { return record.sequence > seen; },
                           std::chrono::duration_cast<milliseconds>(deadline - now));
    }
}

bool WaitForNewTrace(uint64_t mark, std::string_view component, std::string_view operation) {
    return orvsim::WaitForTrace(
        [&](const orvsim::TraceEntry& entry) {
            return entry.sequence > mark && entry.component == component &&
                   entry.operation == operation;
        },
        kStepTimeout);
}

uint64_t LastTraceSequence() {
    const std::vector<orvsim::TraceEntry> entries = orvsim::TraceSnapshot();
    return entries.empty() ? 0 : entries.back().sequence;
}

bool WaitForPublication(int topicId, int eventState) {
    return orvsim::WaitForPublication(
        [&](const orvsim::Publication& publication) {
            return publication.topicId == topicId && publication.eventState == eventState;
        },
        kStepTimeout);
}

StepOutcome Outcome(std::string name, bool ok, std::string awaited) {
    return StepOutcome{std::move(name), ok, ok ? std::string() : "no " + std::move(awaited)};
}

}  // namespace

bool RunOutcome::clean() const {
    return !steps.empty() &&
           std::all_of(steps.begin(), steps.end(), [](const StepOutcome& s) { return s.ok; });
}

RunOutcome RunDefaultScenario(ServiceHost& host,
                              const std::function<void(const std::string&)>& announce) {
    RunOutcome outcome;
    auto step = [&](std::string name, const std::function<StepOutcome(std::string)>& body) {
        announce(name);
        outcome.steps.push_back(body(std::move(name)));
        return outcome.steps.back().ok;
    };

    const bool started = step("start the service and wait for full initialisation", [&](auto name) {
        host.Start();
        return Outcome(std::move(name), host.WaitForFullInit(kStepTimeout),
                       "full initialisation of the agents");
    });
    if (started) {
        step("user logon (session 1)", [&](auto name) {
            const uint64_t mark = LastTraceSequence();
            host.SendSessionChange(WTS_SESSION_LOGON, kUserSession);
            // The logon ends with the persona-tag refresh.
            return Outcome(std::move(name),
                           WaitForNewTrace(mark, "ApplicabilityEvaluator",
                                           "RefreshPersonaTagMonitoring"),
                           "persona-tag refresh after the logon");
        });
        step("maintenance control (220)", [&](auto name) {
            host.SendControl(kMaintenanceControl);
            return Outcome(std::move(name), WaitForPublication(7, 1), "maintenance notification");
        });
        step("resume from sleep", [&](auto name) {
            host.SendPowerEvent(PBT_APMRESUMEAUTOMATIC);
            return Outcome(std::move(name), WaitForPublication(11, 14),
                           "resume-from-sleep notification");
        });
        step("configuration-policy change", [&](auto name) {
            const uint64_t mark = LastLogSequence();
            orvsim::Publish(4, 15);
            return Outcome(std::move(name),
                           WaitForNewLines(mark, L"OrvClientService::ChangeORVStartUpType:"),
                           "startup-type evaluation");
        });
        step("clock change of +90 s", [&](auto name) {
            const uint64_t mark = LastLogSequence();
            host.ChangeClock(kClockChange);
            // One report from the event log, one from the time-change control.
            return Outcome(std::move(name),
                           WaitForNewLines(mark, L"OrvClientService::SendTimeChangeNotification:", 2),
                           "both time-change reports");
        });
    }
    step("stop the service", [&](auto name) {
        host.Stop();
        return Outcome(std::move(name), true, {});
    });
    return outcome;
}

}  // namespace orvhost
