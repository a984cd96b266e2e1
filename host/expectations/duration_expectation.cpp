#include "host/expectations/duration_expectation.h"

#include "host/expectations/expectation.h"
#include "host/expectations/judging.h"
#include "host/scenario/parser_parts.h"

namespace orvhost {

namespace {

using std::chrono::milliseconds;
using Span = DurationExpectation::Span;

constexpr char kStopHint[] = "OrvClientService::OnStop: Service is stopping";

std::optional<milliseconds> SpanLength(Span span, const Snapshot& snapshot) {
    const char* entry = span == Span::kOnStop ? "OnStop" : "OnStart";
    const auto call = std::find_if(snapshot.entryCalls.begin(), snapshot.entryCalls.end(),
                                   [&](const EntryCall& c) { return c.entry == entry; });
    if (call == snapshot.entryCalls.end()) {
        return std::nullopt;
    }
    if (span == Span::kStartToFullInit) {
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

// "of" a host span, or "from" one log line "to" another.
void ReadSpan(JsonObject& object, DurationExpectation& e) {
    const auto which = parse::OneKeyOf(object, {"of", "from"}, "span");
    if (which == 0) {
        parse::Optional(object, "of", e.span, [](const JsonNode& n) {
            return n.Enum<Span>({{"OnStart", Span::kOnStart},
                                 {"OnStop", Span::kOnStop},
                                 {"startToFullInit", Span::kStartToFullInit}});
        });
    } else if (which == 1) {
        if (auto from = object.Take("from")) {
            e.from = parse::Log(*from);
        }
        if (auto to = object.Require("to")) {
            e.to = parse::Log(*to);
        }
    }
    if (which != 1 && object.Has("to")) {
        object.Take("to")->Error("\"to\" goes with \"from\"");
    }
}

}  // namespace

void DurationExpectation::Read(const JsonNode& member, JsonObject&) {
    JsonObject object(member);
    ReadSpan(object, *this);
    parse::Optional(object, "atLeastMs", atLeastMs, parse::Milliseconds);
    parse::Optional(object, "atMostMs", atMostMs, parse::Milliseconds);
    object.RejectUnknown();
    if (!atLeastMs && !atMostMs) {
        member.Error("give \"atLeastMs\", \"atMostMs\" or both");
    }
}

std::string DurationExpectation::Describe() const {
    static constexpr const char* kSpans[] = {"OnStart", "OnStop", "start to full initialisation"};
    const std::string what =
        span ? kSpans[static_cast<int>(*span)]
             : fmt::format("{} to {}", orvhost::Describe(*from), orvhost::Describe(*to));
    return fmt::format("duration of {}{}{}", what,
                       atLeastMs ? fmt::format(" at least {} ms", *atLeastMs) : "",
                       atMostMs ? fmt::format(" at most {} ms", *atMostMs) : "");
}

void DurationExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    const std::optional<milliseconds> length =
        span ? SpanLength(*span, snapshot) : LineSpan(*from, *to, snapshot.lines);
    if (!length) {
        result.met = false;
        result.actual = "the span did not happen (one of its ends is missing)";
    } else {
        result.met = (!atLeastMs || length->count() >= *atLeastMs) &&
                     (!atMostMs || length->count() <= *atMostMs);
        result.actual = fmt::format("took {} ms", length->count());
    }
    judging::AddContext(snapshot, from ? from->text : kStopHint, result);
}

void DurationExpectation::Validate(const Expectation& expectation, Diagnostics& diagnostics) const {
    if (atLeastMs && atMostMs && *atLeastMs > *atMostMs) {
        diagnostics.Add(expectation.path, "the duration's \"atLeastMs\" is above its \"atMostMs\"");
    }
}

}  // namespace orvhost
