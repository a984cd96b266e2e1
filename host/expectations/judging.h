#pragma once
// What expectations are judged against, what judging one gives, and the pieces of judging
// that several kinds share.
//
// A Snapshot is a copy of the evidence at one moment; a kind reads only it, except for
// startup-type and registry expectations, which read the machine's registry as it is when
// they are judged.

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/machine/evidence.h"
#include "host/machine/service_host.h"
#include "host/scenario/matchers.h"
#include "host/scenario/scenario_model.h"
#include "sim/client/client_control.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

struct Snapshot {
    std::vector<LogLine> lines;
    std::vector<CallRecord> calls;
    std::vector<orvsim::Publication> publications;
    std::vector<winsim::services::StatusReport> statusReports;
    std::vector<EntryCall> entryCalls;
    std::vector<DeliveredControl> controls;
};

Snapshot TakeSnapshot(const Evidence& evidence, const ServiceHost& host);

struct ExpectationResult {
    std::string name;   // the file's name for it, or a description
    std::string path;   // JSON path in the file
    std::string where;  // "end of run" or the step it was checked at
    bool met = false;
    std::string actual;                // what was found instead, when not met
    std::vector<std::string> context;  // the nearest log lines, when not met
};

// One log line as the summary and the report show it: "#12 +1234 ms debug [tid 7] message".
std::string FormatLine(const LogLine& line);

// The line most like `text` (longest common beginning) with `around` lines either side;
// empty when there are no lines.
std::vector<std::string> NearestLines(const std::vector<LogLine>& lines, const std::string& text,
                                      std::size_t around = 2);

// The machine time of the first line that the worker writes once the agents are fully
// initialised, at or after `from`; empty when it never came.
std::optional<std::chrono::milliseconds> FullInitReachedAt(const std::vector<LogLine>& lines,
                                                           std::chrono::milliseconds from);

namespace judging {

// Log lines near which an unmet expectation of a kind is best looked into.
inline constexpr char kPublicationHint[] =
    "OrvClientService::OnORVNotification: Notification received";
inline constexpr char kStatusHint[] =
    "OrvClientService::OnServiceControlHandle: System pre-shutDown";

// The log lines near `hint` as the context of an unmet expectation.
void AddContext(const Snapshot& snapshot, const std::string& hint, ExpectationResult& result);

std::vector<SERVICE_STATUS> Statuses(const Snapshot& snapshot);

// Records as a list for a message, the first dozen of them.
template <class Item, class Show>
std::string ListText(const std::vector<Item>& items, Show&& show) {
    constexpr std::size_t kListShown = 12;
    if (items.empty()) {
        return "none";
    }
    std::string text;
    for (std::size_t i = 0; i < items.size() && i < kListShown; ++i) {
        text += (i == 0 ? "" : ", ") + show(items[i]);
    }
    if (items.size() > kListShown) {
        text += fmt::format(", ... ({} in all)", items.size());
    }
    return text;
}

// Walks `records` once, finding each matcher after the previous match. Returns the index of
// the first matcher not found (or matchers.size()) and the record index of the last match.
template <class Matcher, class Record>
std::pair<std::size_t, std::optional<std::size_t>> InOrder(const std::vector<Matcher>& matchers,
                                                           const std::vector<Record>& records) {
    std::size_t next = 0;
    std::optional<std::size_t> last;
    for (std::size_t m = 0; m < matchers.size(); ++m) {
        const auto found =
            std::find_if(records.begin() + static_cast<std::ptrdiff_t>(next), records.end(),
                         [&](const Record& r) { return Matches(matchers[m], r); });
        if (found == records.end()) {
            return {m, last};
        }
        last = static_cast<std::size_t>(found - records.begin());
        next = *last + 1;
    }
    return {matchers.size(), last};
}

// Records that match a counted expectation's matcher, against its count.
template <class Matcher, class Record>
void JudgeCount(const Matcher& matcher, const CountRange& count, const std::vector<Record>& records,
                ExpectationResult& result) {
    const auto found = std::count_if(records.begin(), records.end(),
                                     [&](const Record& r) { return Matches(matcher, r); });
    result.met = found >= count.min && (!count.max || found <= *count.max);
    result.actual = fmt::format("{} time{}", found, found == 1 ? "" : "s");
}

// Records that match an ordered expectation's list in its order (or, `exactly`, that are the
// list).
template <class Matcher, class Record>
void JudgeOrder(const std::vector<Matcher>& list, bool exactly, const std::vector<Record>& records,
                ExpectationResult& result) {
    if (exactly) {
        result.met = list.size() == records.size() &&
                     std::equal(list.begin(), list.end(), records.begin(),
                                [](const Matcher& m, const Record& r) { return Matches(m, r); });
    } else {
        const auto [missing, last] = InOrder(list, records);
        result.met = missing == list.size();
        if (!result.met) {
            result.actual = fmt::format("{} not found{}", Describe(list[missing]),
                                        missing == 0 ? "" : " after the ones before it");
        }
    }
    if (!result.met) {
        const std::string all = ListText(records, [](const Record& r) { return Describe(r); });
        result.actual += (result.actual.empty() ? "" : ", in: ") + all;
    }
}

// Long lists are named by their ends; the file holds the rest.
template <class Matcher>
std::string ListDescription(const std::vector<Matcher>& items) {
    if (items.size() > 3) {
        return fmt::format("{} items, {} ... {}", items.size(), Describe(items.front()),
                           Describe(items.back()));
    }
    std::vector<std::string> texts;
    texts.reserve(items.size());
    for (const auto& item : items) {
        texts.push_back(Describe(item));
    }
    return fmt::format("{}", fmt::join(texts, ", then "));
}

}  // namespace judging

}  // namespace orvhost
