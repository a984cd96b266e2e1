#include "host/run/expectations.h"

#include <fmt/format.h>

#include <algorithm>
#include <functional>

#include "base/unicode.h"
#include "host/run/machine_setup.h"
#include "host/run/matchers.h"
#include "host/scenario/scenario_names.h"

namespace orvhost {

namespace {

using std::chrono::milliseconds;

constexpr wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\ORVService";
constexpr char kFullInitLine[] = "OrvClientService::OrvWorkerThread: Waiting on service stop event";
constexpr std::size_t kListShown = 12;

bool InRange(const CountRange& count, std::int64_t found) {
    return found >= count.min && (!count.max || found <= *count.max);
}

template <class Item, class Show>
std::string ListText(const std::vector<Item>& items, Show&& show) {
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
template <class Kind, class Record>
void JudgeCount(const Kind& e, const std::vector<Record>& records, ExpectationResult& result) {
    const auto found = std::count_if(records.begin(), records.end(),
                                     [&](const Record& r) { return Matches(e.matcher, r); });
    result.met = InRange(e.count, found);
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

// The log lines near `hint` as the context of an unmet expectation.
void AddContext(const Snapshot& snapshot, const std::string& hint, ExpectationResult& result) {
    if (!result.met && !hint.empty()) {
        result.context = NearestLines(snapshot.lines, hint);
    }
}

std::vector<SERVICE_STATUS> Statuses(const Snapshot& snapshot) {
    std::vector<SERVICE_STATUS> statuses;
    for (const auto& report : snapshot.statusReports) {
        statuses.push_back(report.status);
    }
    return statuses;
}

// Long lists are named by their ends; the file holds the rest.
template <class Matcher>
std::string ListDescription(const std::vector<Matcher>& items) {
    if (items.size() > 3) {
        return fmt::format("{} items, {} ... {}", items.size(), Describe(items.front()),
                           Describe(items.back()));
    }
    std::vector<std::string> texts;
    for (const auto& item : items) {
        texts.push_back(Describe(item));
    }
    return fmt::format("{}", fmt::join(texts, ", then "));
}

std::string StartupText(std::optional<DWORD> start, std::optional<DWORD> delayed) {
    return fmt::format("Start={} DelayedAutostart={}", start ? std::to_string(*start) : "absent",
                       delayed ? std::to_string(*delayed) : "absent");
}

std::optional<milliseconds> SpanLength(HostSpan span, const Snapshot& snapshot) {
    const char* entry = span == HostSpan::kOnStop ? "OnStop" : "OnStart";
    const auto call = std::find_if(snapshot.entryCalls.begin(), snapshot.entryCalls.end(),
                                   [&](const EntryCall& c) { return c.entry == entry; });
    if (call == snapshot.entryCalls.end()) {
        return std::nullopt;
    }
    if (span == HostSpan::kStartToFullInit) {
        const auto reached = FullInitReachedAt(snapshot.lines, call->began);
        return reached ? std::optional<milliseconds>(*reached - call->began) : std::nullopt;
    }
    return call->returned ? std::optional<milliseconds>(*call->returned - call->began)
                          : std::nullopt;
}

std::optional<milliseconds> LineSpan(const LogMatcher& from, const LogMatcher& to,
                                     const std::vector<LogLine>& lines) {
    const auto begin = std::find_if(lines.begin(), lines.end(),
                                    [&](const LogLine& l) { return Matches(from, l); });
    if (begin == lines.end()) {
        return std::nullopt;
    }
    const auto end =
        std::find_if(begin + 1, lines.end(), [&](const LogLine& l) { return Matches(to, l); });
    return end == lines.end() ? std::nullopt : std::optional<milliseconds>(end->at - begin->at);
}

void JudgeRegistry(const RegistryEdit& edit, ExpectationResult& result) {
    const std::wstring key = orvbase::Utf8ToWide(edit.key);
    const std::wstring name = orvbase::Utf8ToWide(edit.name);
    const bool exists = winsim::registry::ValueExists(key, name);
    if (edit.remove) {
        result.met = !exists;
    } else if (edit.dword) {
        result.met = winsim::registry::GetDword(key, name) == edit.dword;
    } else {
        const auto text = winsim::registry::GetString(key, name);
        result.met = text && orvbase::WideToUtf8(*text) == edit.text;
    }
    if (!exists) {
        result.actual = "the value does not exist";
    } else if (const auto dword = winsim::registry::GetDword(key, name)) {
        result.actual = fmt::format("dword {}", *dword);
    } else if (const auto text = winsim::registry::GetString(key, name)) {
        result.actual = fmt::format("string \"{}\"", orvbase::WideToUtf8(*text));
    } else {
        result.actual = "a value of another type";
    }
}

constexpr char kPublicationHint[] = "OrvClientService::OnORVNotification: Notification received";
constexpr char kStatusHint[] = "OrvClientService::OnServiceControlHandle: System pre-shutDown";
constexpr char kStartupHint[] = "OrvClientService::ChangeORVStartUpType: ORV Startup Type";
constexpr char kStopHint[] = "OrvClientService::OnStop: Service is stopping";

// Each kind is judged against a snapshot (`where` it is checked is for the members of a group)
// and described for the summary when the file gives it no name.

// ---- log, logOrder ------------------------------------------------------------------------

void Judge(const LogExpectation& e, const Snapshot& snapshot, const std::string&,
           ExpectationResult& result) {
    JudgeCount(e, snapshot.lines, result);
    if (!result.met && e.count.min > 0) {
        result.context = NearestLines(snapshot.lines, e.matcher.text);
    } else if (!result.met) {
        for (const LogLine& line : snapshot.lines) {
            if (Matches(e.matcher, line) && result.context.size() < 5) {
                result.context.push_back(FormatLine(line));
            }
        }
    }
}

std::string Describe(const LogExpectation& e) {
    return fmt::format("log {} {}", Describe(e.matcher), Describe(e.count));
}

void Judge(const LogOrderExpectation& e, const Snapshot& snapshot, const std::string&,
           ExpectationResult& result) {
    const auto [missing, last] = InOrder(e.matchers, snapshot.lines);
    result.met = missing == e.matchers.size();
    if (result.met) {
        return;
    }
    const LogMatcher& absent = e.matchers[missing];
    const bool anywhere = std::any_of(snapshot.lines.begin(), snapshot.lines.end(),
                                      [&](const LogLine& l) { return Matches(absent, l); });
    result.actual =
        fmt::format("{} {}", Describe(absent),
                    missing == 0 ? "never logged"
                    : anywhere   ? "logged, but not after " + Describe(e.matchers[missing - 1])
                                 : "never logged");
    result.context = NearestLines(snapshot.lines, absent.text);
}

std::string Describe(const LogOrderExpectation& e) {
    return "log in order: " + ListDescription(e.matchers);
}

// ---- call, calls --------------------------------------------------------------------------

void Judge(const CallExpectation& e, const Snapshot& snapshot, const std::string&,
           ExpectationResult& result) {
    JudgeCount(e, snapshot.calls, result);
}

std::string Describe(const CallExpectation& e) {
    return fmt::format("call {} {}", Describe(e.matcher), Describe(e.count));
}

void Judge(const CallsExpectation& e, const Snapshot& snapshot, const std::string&,
           ExpectationResult& result) {
    JudgeOrder(e.matchers, false, snapshot.calls, result);
}

std::string Describe(const CallsExpectation& e) {
    return "calls in order: " + ListDescription(e.matchers);
}

// ---- publication, publications ------------------------------------------------------------

void Judge(const PublicationExpectation& e, const Snapshot& snapshot, const std::string&,
           ExpectationResult& result) {
    JudgeCount(e, snapshot.publications, result);
    AddContext(snapshot, kPublicationHint, result);
}

std::string Describe(const PublicationExpectation& e) {
    return fmt::format("publication {} {}", Describe(e.matcher), Describe(e.count));
}

void Judge(const PublicationsExpectation& e, const Snapshot& snapshot, const std::string&,
           ExpectationResult& result) {
    JudgeOrder(e.matchers, e.exactly, snapshot.publications, result);
    AddContext(snapshot, kPublicationHint, result);
}

std::string Describe(const PublicationsExpectation& e) {
    return fmt::format("publications {}: {}", e.exactly ? "exactly" : "in order",
                       ListDescription(e.matchers));
}

// ---- statusReport, statusReports ----------------------------------------------------------

void Judge(const StatusReportExpectation& e, const Snapshot& snapshot, const std::string&,
           ExpectationResult& result) {
    JudgeCount(e, Statuses(snapshot), result);
    AddContext(snapshot, kStatusHint, result);
}

std::string Describe(const StatusReportExpectation& e) {
    return fmt::format("status report {} {}", Describe(e.matcher), Describe(e.count));
}

void Judge(const StatusReportsExpectation& e, const Snapshot& snapshot, const std::string&,
           ExpectationResult& result) {
    JudgeOrder(e.matchers, e.exactly, Statuses(snapshot), result);
    AddContext(snapshot, kStatusHint, result);
}

std::string Describe(const StatusReportsExpectation& e) {
    return fmt::format("status reports {}: {}", e.exactly ? "exactly" : "in order",
                       ListDescription(e.matchers));
}

// ---- startupType --------------------------------------------------------------------------

void Judge(const StartupTypeExpectation& e, const Snapshot& snapshot, const std::string&,
           ExpectationResult& result) {
    const auto start = winsim::registry::GetDword(kServiceKey, L"Start");
    const auto delayed = winsim::registry::GetDword(kServiceKey, L"DelayedAutostart");
    result.met =
        (!e.start || start == e.start) && (!e.delayedAutostart || delayed == *e.delayedAutostart);
    result.actual = StartupText(start, delayed);
    AddContext(snapshot, kStartupHint, result);
}

std::string Describe(const StartupTypeExpectation& e) {
    return fmt::format("startup type {}{}", e.start ? fmt::format("Start={} ", *e.start) : "",
                       !e.delayedAutostart ? ""
                       : *e.delayedAutostart
                           ? fmt::format("DelayedAutostart={}", **e.delayedAutostart)
                           : "DelayedAutostart absent");
}

// ---- duration -----------------------------------------------------------------------------

void Judge(const DurationExpectation& e, const Snapshot& snapshot, const std::string&,
           ExpectationResult& result) {
    const std::optional<milliseconds> length =
        e.span ? SpanLength(*e.span, snapshot) : LineSpan(*e.from, *e.to, snapshot.lines);
    if (!length) {
        result.met = false;
        result.actual = "the span did not happen (one of its ends is missing)";
    } else {
        result.met = (!e.atLeastMs || length->count() >= *e.atLeastMs) &&
                     (!e.atMostMs || length->count() <= *e.atMostMs);
        result.actual = fmt::format("took {} ms", length->count());
    }
    AddContext(snapshot, e.from ? e.from->text : kStopHint, result);
}

std::string Describe(const DurationExpectation& e) {
    static constexpr const char* kSpans[] = {"OnStart", "OnStop", "start to full initialisation"};
    const std::string what = e.span ? kSpans[static_cast<int>(*e.span)]
                                    : fmt::format("{} to {}", Describe(*e.from), Describe(*e.to));
    return fmt::format("duration of {}{}{}", what,
                       e.atLeastMs ? fmt::format(" at least {} ms", *e.atLeastMs) : "",
                       e.atMostMs ? fmt::format(" at most {} ms", *e.atMostMs) : "");
}

// ---- registry -----------------------------------------------------------------------------

void Judge(const RegistryExpectation& e, const Snapshot&, const std::string&,
           ExpectationResult& result) {
    JudgeRegistry(e.value, result);
}

std::string Describe(const RegistryExpectation& e) {
    const RegistryEdit& value = e.value;
    return fmt::format("registry {}\\{} {}", value.key, value.name,
                       value.remove  ? "absent"
                       : value.dword ? fmt::format("= dword {}", *value.dword)
                                     : fmt::format("= \"{}\"", value.text.value_or("")));
}

// ---- anyOf, allOf -------------------------------------------------------------------------

void Judge(const AnyOfExpectation& e, const Snapshot& snapshot, const std::string& where,
           ExpectationResult& result) {
    std::vector<std::string> alternatives;
    for (const Expectation& alternative : e.group) {
        const ExpectationResult one = Evaluate(alternative, snapshot, where);
        result.met = result.met || one.met;
        alternatives.push_back(one.name + ": " + one.actual);
    }
    result.actual = fmt::format("none held ({})", fmt::join(alternatives, "; "));
}

void Judge(const AllOfExpectation& e, const Snapshot& snapshot, const std::string& where,
           ExpectationResult& result) {
    std::vector<std::string> failed;
    for (const Expectation& member : e.group) {
        const ExpectationResult one = Evaluate(member, snapshot, where);
        if (!one.met) {
            failed.push_back(one.name + ": " + one.actual);
        }
    }
    result.met = failed.empty();
    result.actual = fmt::format("not held: {}", fmt::join(failed, "; "));
}

std::vector<std::string> MemberNames(const std::vector<Expectation>& group) {
    std::vector<std::string> texts;
    for (const Expectation& member : group) {
        texts.push_back(member.name.empty() ? DescribeExpectation(member) : member.name);
    }
    return texts;
}

std::string Describe(const AnyOfExpectation& e) {
    return fmt::format("any of: {}", fmt::join(MemberNames(e.group), " | "));
}

std::string Describe(const AllOfExpectation& e) {
    return fmt::format("all of: {}", fmt::join(MemberNames(e.group), " & "));
}

}  // namespace

Snapshot TakeSnapshot(const Evidence& evidence, const ServiceHost& host) {
    return Snapshot{evidence.Lines(),       evidence.Calls(),
                    orvsim::Publications(), winsim::services::StatusReports(),
                    host.EntryCalls(),      host.Controls()};
}

ExpectationResult Evaluate(const Expectation& e, const Snapshot& snapshot,
                           const std::string& where) {
    ExpectationResult result;
    result.name = e.name.empty() ? DescribeExpectation(e) : e.name;
    result.path = e.path;
    result.where = where;
    std::visit([&](const auto& kind) { Judge(kind, snapshot, where, result); }, e.what);
    return result;
}

std::string DescribeExpectation(const Expectation& e) {
    return std::visit([](const auto& kind) { return Describe(kind); }, e.what);
}

std::string FormatLine(const LogLine& line) {
    return fmt::format("#{} +{} ms {} [tid {}] {}", line.index, line.at.count(),
                       LevelName(line.level), line.threadId, line.message);
}

std::vector<std::string> NearestLines(const std::vector<LogLine>& lines, const std::string& text,
                                      std::size_t around) {
    if (lines.empty()) {
        return {};
    }
    const auto common = [&](const std::string& message) {
        const auto mismatch =
            std::mismatch(text.begin(), text.end(), message.begin(), message.end());
        return static_cast<std::size_t>(mismatch.first - text.begin());
    };
    std::size_t best = 0;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t length = common(lines[i].message);
        if (length > bestLength) {
            best = i;
            bestLength = length;
        }
    }
    if (bestLength == 0) {
        best = lines.size() - 1;  // nothing alike: the end of the log
    }
    std::vector<std::string> context;
    const std::size_t first = best >= around ? best - around : 0;
    const std::size_t last = std::min(lines.size() - 1, best + around);
    for (std::size_t i = first; i <= last; ++i) {
        context.push_back(FormatLine(lines[i]));
    }
    return context;
}

std::optional<milliseconds> FullInitReachedAt(const std::vector<LogLine>& lines,
                                              milliseconds from) {
    const auto found = std::find_if(lines.begin(), lines.end(), [&](const LogLine& line) {
        return line.at >= from && line.message == kFullInitLine;
    });
    return found == lines.end() ? std::nullopt : std::optional<milliseconds>(found->at);
}

}  // namespace orvhost
