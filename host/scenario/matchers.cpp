#include "host/scenario/matchers.h"

#include <fmt/format.h>

#include "base/unicode.h"
#include "host/scenario/log_pattern.h"
#include "host/scenario/scenario_names.h"

namespace orvhost {

namespace {

bool TextMatches(const LogMatcher& matcher, const std::string& candidate) {
    switch (matcher.match) {
        case TextMatch::kExact:
            return candidate == matcher.text;
        case TextMatch::kPrefix:
            return candidate.starts_with(matcher.text);
        case TextMatch::kContains:
            return candidate.find(matcher.text) != std::string::npos;
        case TextMatch::kRegex:
            // The parser compiled the pattern; one it refused cannot reach here.
            return matcher.pattern && SearchLogPattern(*matcher.pattern, candidate);
    }
    return false;
}

template <class T>
void Field(std::string& text, const char* name, const std::optional<T>& value) {
    if (value) {
        text += fmt::format("{}{}={}", text.empty() ? "" : " ", name, *value);
    }
}

}  // namespace

bool Matches(const LogMatcher& matcher, const LogLine& line) {
    return (!matcher.level || *matcher.level == line.level) && TextMatches(matcher, line.message);
}

bool Matches(const CallMatcher& matcher, const CallRecord& call) {
    if (call.component != matcher.component ||
        (!matcher.operation.empty() && call.operation != matcher.operation)) {
        return false;
    }
    if (!matcher.args) {
        return true;
    }
    if (matcher.args->size() != call.args.size()) {
        return false;
    }
    for (std::size_t i = 0; i < call.args.size(); ++i) {
        if ((*matcher.args)[i] && *(*matcher.args)[i] != call.args[i]) {
            return false;
        }
    }
    return true;
}

bool Matches(const PublicationMatcher& matcher, const orvsim::Publication& publication) {
    return (!matcher.topic || *matcher.topic == publication.topicId) &&
           (!matcher.state || *matcher.state == publication.eventState) &&
           (!matcher.payload || *matcher.payload == orvbase::WideToUtf8(publication.payload)) &&
           (!matcher.accepted || *matcher.accepted == publication.accepted);
}

bool Matches(const StatusMatcher& matcher, const SERVICE_STATUS& status) {
    return (!matcher.state || *matcher.state == status.dwCurrentState) &&
           (!matcher.serviceType || *matcher.serviceType == status.dwServiceType) &&
           (!matcher.controlsAccepted || *matcher.controlsAccepted == status.dwControlsAccepted) &&
           (!matcher.win32ExitCode || *matcher.win32ExitCode == status.dwWin32ExitCode) &&
           (!matcher.checkPoint || *matcher.checkPoint == status.dwCheckPoint) &&
           (!matcher.waitHint || *matcher.waitHint == status.dwWaitHint);
}

std::string Describe(const LogMatcher& matcher) {
    static constexpr const char* kHow[] = {"", "starting with ", "containing ", "matching "};
    std::string text = fmt::format("{}\"{}\"", kHow[static_cast<int>(matcher.match)], matcher.text);
    if (matcher.level) {
        text += " at " + LevelName(*matcher.level) + " level";
    }
    return text;
}

std::string Describe(const CallMatcher& matcher) {
    std::string text =
        matcher.component + "::" + (matcher.operation.empty() ? "*" : matcher.operation);
    if (matcher.args) {
        text += "(";
        for (std::size_t i = 0; i < matcher.args->size(); ++i) {
            const auto& arg = (*matcher.args)[i];
            text += (i == 0 ? "" : ", ") + (arg ? *arg : std::string("*"));
        }
        text += ")";
    }
    return text;
}

std::string Describe(const PublicationMatcher& matcher) {
    std::string text = fmt::format("({}, {})", matcher.topic ? std::to_string(*matcher.topic) : "*",
                                   matcher.state ? std::to_string(*matcher.state) : "*");
    if (matcher.payload) {
        text += fmt::format(" payload \"{}\"", *matcher.payload);
    }
    if (matcher.accepted) {
        text += *matcher.accepted ? " accepted" : " refused";
    }
    return text;
}

std::string Describe(const StatusMatcher& matcher) {
    std::string text;
    if (matcher.state) {
        const auto name = names::NameOf(names::ServiceStates(), *matcher.state);
        text = name.empty() ? fmt::format("state={}", *matcher.state) : std::string(name);
    }
    Field(text, "serviceType", matcher.serviceType);
    Field(text, "controlsAccepted", matcher.controlsAccepted);
    Field(text, "win32ExitCode", matcher.win32ExitCode);
    Field(text, "checkPoint", matcher.checkPoint);
    Field(text, "waitHint", matcher.waitHint);
    return text.empty() ? "any report" : text;
}

std::string Describe(const CountRange& count) {
    if (count.max && *count.max == count.min) {
        return count.min == 0   ? "absent"
               : count.min == 1 ? "exactly once"
                                : fmt::format("exactly {} times", count.min);
    }
    if (!count.max) {
        return count.min <= 1 ? "present" : fmt::format("at least {} times", count.min);
    }
    return fmt::format("{} to {} times", count.min, *count.max);
}

std::string Describe(const LogLine& line) {
    return "\"" + line.message + "\"";
}

std::string Describe(const CallRecord& call) {
    return fmt::format("{}::{}({})", call.component, call.operation, fmt::join(call.args, ", "));
}

std::string Describe(const orvsim::Publication& publication) {
    return fmt::format("({}, {}){}", publication.topicId, publication.eventState,
                       publication.accepted ? "" : " refused");
}

std::string Describe(const SERVICE_STATUS& status) {
    const auto name = names::NameOf(names::ServiceStates(), status.dwCurrentState);
    return fmt::format("{} serviceType={} controlsAccepted={} win32ExitCode={}",
                       name.empty() ? std::to_string(status.dwCurrentState) : std::string(name),
                       status.dwServiceType, status.dwControlsAccepted, status.dwWin32ExitCode);
}

std::string LevelName(LogLevel level) {
    switch (level) {
        case LogLevel::kDebug:
            return "debug";
        case LogLevel::kInfo:
            return "info";
        case LogLevel::kWarning:
            return "warning";
        case LogLevel::kError:
            return "error";
    }
    return "debug";
}

}  // namespace orvhost
