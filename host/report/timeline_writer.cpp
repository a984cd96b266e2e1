#include "host/report/timeline_writer.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <optional>

#include "host/report/run_facts.h"
#include "host/scenario/matchers.h"
#include "host/scenario/scenario_names.h"

namespace orvhost {

namespace {

using std::chrono::milliseconds;

struct Track {
    std::string name;
    int order = 100;
};

// A section of one thread's log, from the line that opens it to the line that closes it.
struct Bracket {
    const char* open;
    const char* close;
    const char* name;
};

constexpr Bracket kBrackets[] = {
    {"OrvClientService::OrvWorkerThread: Start", "OrvClientService::OrvWorkerThread: Exit",
     "worker thread"},
    {"OrvClientService::OnStart: Service is starting",
     "OrvClientService::OnStart: Setting an event for service start", "OnStart (member)"},
    {"OrvClientService::OnStop: Service is stopping", "OrvClientService::OnStop: Service stopped",
     "OnStop (member)"},
    {"OrvClientService::Cleanup: Enter", "OrvClientService::Cleanup: Exit", "Cleanup"},
    {"OrvClientService::OnServiceControlHandle: System pre-shutDown Enter",
     "OrvClientService::OnServiceControlHandle: System pre-shutDown Exit", "pre-shutdown"},
    {"OrvClientService::UnInit: Service stop event received",
     "OrvClientService::UnInit: Cleanup garbage collector", "UnInit"},
    {"OrvClientService::OnServiceControlHandle: Diagnostics called with",
     "OrvClientService::OnServiceControlHandle: ORV diagnostics completed", "diagnostics"},
};

// Log scopes that name the thread they appear on, most telling first.
struct ScopeTrack {
    const char* scope;
    const char* name;
    int order;
};

constexpr ScopeTrack kScopeTracks[] = {
    {"OrvClientService::OrvWorkerThread", "worker thread", 2},
    {"OrvClientService::OnStop", "stop task (OnStop)", 3},
    {"OrvClientService::CheckAndUpdateORVStartUpType", "startup-type watcher", 6},
    {"OrvClientService::EventLogCallback", "event-log callbacks", 7},
    {"OrvClientService::OnORVNotification", "bus delivery", 5},
    {"OrvClientService::OnServiceControlHandle", "control pool", 4},
    {"OrvClientService::OnStart", "service start (OnStart)", 1},
};

Json::Int64 Micros(milliseconds at) {
    return static_cast<Json::Int64>(at.count()) * 1000;
}

std::string WithoutScope(const std::string& message) {
    const auto colon = message.find(": ");
    return colon == std::string::npos || message.find("::") > colon ? message
                                                                    : message.substr(colon + 2);
}

Json::Value Event(const char* phase, const std::string& name, const char* category,
                  std::uint32_t thread, milliseconds at) {
    Json::Value event;
    event["ph"] = phase;
    event["name"] = name;
    event["cat"] = category;
    event["pid"] = 1;
    event["tid"] = thread;
    event["ts"] = Micros(at);
    return event;
}

Json::Value Span(const std::string& name, const char* category, std::uint32_t thread,
                 milliseconds begin, milliseconds end) {
    Json::Value event = Event("X", name, category, thread, begin);
    event["dur"] = Micros(std::max(end - begin, milliseconds(0)));
    return event;
}

using Tracks = std::map<std::uint32_t, Track>;

// Names the thread's track unless a name of lower order names it already.
void Name(Tracks& tracks, std::uint32_t thread, Track track) {
    auto [slot, added] = tracks.emplace(thread, track);
    if (!added && track.order < slot->second.order) {
        slot->second = track;
    }
}

// The host's own threads, and those the service logs from in a known scope.
void NameKnownTracks(const RunResult& result, Tracks& tracks) {
    Name(tracks, result.timelineThread, {"orvhost timeline", 0});
    for (const StepOutcome& step : result.steps) {
        if (step.depth > 0) {
            Name(tracks, step.threadId, {"orvhost: step started together", 1});
        }
    }
    for (const EntryCall& call : result.evidence.entryCalls) {
        if (call.entry == "OnStart") {
            Name(tracks, call.threadId, {"host: OnStart (service start)", 1});
        }
    }
    for (const LogLine& line : result.evidence.lines) {
        for (const ScopeTrack& scope : kScopeTracks) {
            if (line.message.starts_with(scope.scope)) {
                Name(tracks, line.threadId, {scope.name, scope.order});
                break;
            }
        }
    }
}

// Pool threads that log nothing show themselves by what they call.
void NameCallingTracks(const RunResult& result, Tracks& tracks) {
    constexpr std::pair<const char*, const char*> kControlCalls[] = {
        {"EventManager", "OnServiceControl"},
        {"GeneralAppSettingsAgent", "shutdownInitiated"},
        {"DiagnosticsManager", "StartDiagnosticsScan"},
        {"AppAndTagCollection", "RefreshTags"},
    };
    for (const CallRecord& call : result.evidence.calls) {
        for (const auto& [component, operation] : kControlCalls) {
            if (call.component == component && call.operation == operation) {
                Name(tracks, call.threadId, {"control pool", 4});
            }
        }
    }
    for (const CallRecord& call : result.evidence.calls) {
        const auto& agents = names::Agents();
        if (call.operation == "UnInit" &&
            std::find(agents.begin(), agents.end(), call.component) != agents.end() &&
            !tracks.contains(call.threadId)) {
            Name(tracks, call.threadId, {"uninit " + call.component, 8});
        }
        Name(tracks, call.threadId, {fmt::format("thread {}", call.threadId), 100});
    }
}

Tracks NameTracks(const RunResult& result) {
    Tracks tracks;
    NameKnownTracks(result, tracks);
    NameCallingTracks(result, tracks);
    for (const LogLine& line : result.evidence.lines) {
        Name(tracks, line.threadId, {fmt::format("thread {}", line.threadId), 100});
    }
    return tracks;
}

void AddBrackets(const std::vector<LogLine>& lines, Json::Value& events) {
    std::map<std::uint32_t, std::vector<const LogLine*>> byThread;
    for (const LogLine& line : lines) {
        byThread[line.threadId].push_back(&line);
    }
    for (const auto& [thread, own] : byThread) {
        std::vector<std::pair<const Bracket*, const LogLine*>> open;
        for (std::size_t i = 0; i < own.size(); ++i) {
            const LogLine& line = *own[i];
            for (const Bracket& bracket : kBrackets) {
                if (line.message.starts_with(bracket.open)) {
                    open.emplace_back(&bracket, &line);
                } else if (!open.empty() && open.back().first == &bracket &&
                           line.message == bracket.close) {
                    events.append(
                        Span(bracket.name, "section", thread, open.back().second->at, line.at));
                    open.pop_back();
                }
            }
            if (!open.empty() && i + 1 < own.size()) {
                events.append(
                    Span(WithoutScope(line.message), "phase", thread, line.at, own[i + 1]->at));
            }
        }
    }
}

// "Init" ... "InitDone" of one component on one thread becomes a span.
void AddCallSpans(const std::vector<CallRecord>& calls, Json::Value& events) {
    std::map<std::tuple<std::uint32_t, std::string, std::string>, milliseconds> open;
    for (const CallRecord& call : calls) {
        events.append(
            Event("i", call.component + "::" + call.operation, "call", call.threadId, call.at));
        events[events.size() - 1]["s"] = "t";
        events[events.size() - 1]["args"]["args"] = fmt::format("{}", fmt::join(call.args, ", "));
        if (call.operation.ends_with("Done")) {
            const std::string base = call.operation.substr(0, call.operation.size() - 4);
            const auto found = open.find({call.threadId, call.component, base});
            if (found != open.end()) {
                events.append(Span(call.component + " " + base, "agent", call.threadId,
                                   found->second, call.at));
                open.erase(found);
            }
        } else {
            open[{call.threadId, call.component, call.operation}] = call.at;
        }
    }
}

void AddHostEvents(const RunResult& result, Json::Value& events) {
    for (const EntryCall& call : result.evidence.entryCalls) {
        if (call.returned) {
            events.append(
                Span(call.entry, "entry point", call.threadId, call.began, *call.returned));
        }
    }
    const RunFacts facts = GatherFacts(result);
    for (std::size_t i = 0; i < result.evidence.controls.size(); ++i) {
        const DeliveredControl& control = result.evidence.controls[i];
        Json::Value event =
            Event("i", "control " + facts.controls[i], "control", control.threadId, control.at);
        event["s"] = "t";
        events.append(event);
    }
    for (const StepOutcome& step : result.steps) {
        if (step.finished) {
            events.append(Span(step.name, "step", step.threadId, step.began, step.ended));
        }
    }
}

}  // namespace

Json::Value TimelineJson(const RunResult& result) {
    Json::Value events(Json::arrayValue);
    Json::Value process = Event("M", "process_name", "__metadata", 0, milliseconds(0));
    process["args"]["name"] = "orvhost: " + result.name;
    events.append(process);
    for (const auto& [thread, track] : NameTracks(result)) {
        Json::Value name = Event("M", "thread_name", "__metadata", thread, milliseconds(0));
        name["args"]["name"] = track.name;
        events.append(name);
        Json::Value order = Event("M", "thread_sort_index", "__metadata", thread, milliseconds(0));
        order["args"]["sort_index"] = track.order;
        events.append(order);
    }
    AddHostEvents(result, events);
    AddBrackets(result.evidence.lines, events);
    for (const LogLine& line : result.evidence.lines) {
        Json::Value event = Event("i", WithoutScope(line.message), "log", line.threadId, line.at);
        event["s"] = "t";
        event["args"]["message"] = line.message;
        event["args"]["level"] = LevelName(line.level);
        events.append(event);
    }
    AddCallSpans(result.evidence.calls, events);
    Json::Value trace;
    trace["traceEvents"] = events;
    trace["displayTimeUnit"] = "ms";
    trace["otherData"]["scenario"] = result.file;
    trace["otherData"]["clock"] = "simulated machine time";
    return trace;
}

}  // namespace orvhost
