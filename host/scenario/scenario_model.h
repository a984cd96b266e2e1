#pragma once
// The in-memory form of a scenario file: what to arrange on the machine and in the client,
// the timeline of steps, and the expectations. Built by the parser, checked by the validator,
// read by the runner. Plain values; no behaviour.
//
// Durations named ...Ms are milliseconds. Those of arrangements, pauses and expectations run on
// the simulated machine's clock; time-outs (timeoutMs) are real time, because they guard the
// host against a service that hangs.

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvhost {

// ---- Arrangements -----------------------------------------------------------------------

struct RegistryEdit {
    std::string key;                     // under HKEY_LOCAL_MACHINE, backslashes
    std::string name;                    // the value's name
    std::optional<std::string> text;     // REG_SZ
    std::optional<std::uint32_t> dword;  // REG_DWORD
    bool remove = false;                 // delete the value
};

struct FailureArrangement {
    std::string call;               // a winsim::failures::Call name, e.g. "OpenSCManager"
    std::int32_t code = 0;          // Win32 error or HRESULT
    std::optional<unsigned> times;  // empty: every call until cleared
    bool clear = false;             // remove an arrangement instead
    bool serviceOnly = false;       // only the service library's own calls fail
    unsigned skip = 0;              // so many aimed-at calls succeed first
};

enum class OobeMode { kComplete, kNever, kAfterChecks };

struct ServiceInstall {
    bool installed = true;
    std::uint32_t start = 2;  // SERVICE_AUTO_START
    // 0 or 1; empty: no "DelayedAutostart" value at all.
    std::optional<std::uint32_t> delayedAutostart = 0;
};

// Every member is optional: an initial arrangement starts from the default machine (set-up
// complete, "ORVService" installed for automatic start), and an "arrange" step changes only
// what it names.
struct MachineArrangement {
    std::optional<double> clockScale;
    std::optional<std::uint16_t> architecture;  // PROCESSOR_ARCHITECTURE_*
    // "ImageState"; an empty inner optional removes the value.
    std::optional<std::optional<std::string>> imageState;
    std::optional<OobeMode> oobe;
    unsigned oobeFailedChecks = 0;  // with kAfterChecks
    std::optional<ServiceInstall> service;
    std::vector<RegistryEdit> registry;
    std::optional<std::string> manufacturer;
    std::optional<std::string> driveType;  // "hdd", "ssd", "unknown"
    std::optional<bool> runningMutexHeld;
    // The interactive session; an empty inner optional: follow the active user session.
    std::optional<std::optional<std::uint32_t>> currentSessionId;
    std::vector<FailureArrangement> failures;
};

enum class StepFailureMode { kNone, kReturnFalse, kThrow };

struct AgentStepArrangement {
    std::int64_t durationMs = 0;
    StepFailureMode failure = StepFailureMode::kNone;
};

struct AgentArrangement {
    std::optional<bool> present;
    std::optional<bool> initialised;  // false: Init reports failure, the flag stays clear
    std::optional<AgentStepArrangement> init;
    std::optional<AgentStepArrangement> fullInit;
    std::optional<std::int64_t> unInitDurationMs;
    std::optional<bool> nameThrows;
    std::optional<bool> constructionFails;
};

struct RegistrationArrangement {
    std::optional<bool> success;
    std::optional<std::int32_t> errorCode;
    std::optional<std::int64_t> durationMs;
};

struct FullInitSignal {
    std::optional<bool> enabled;
    std::optional<std::int64_t> delayMs;
};

struct UserProcessBehaviour {
    std::optional<bool> datasetEnabled;
    // Empty inner optional: answer from the process's real state.
    std::optional<std::optional<int>> sessionChangeAnswer;
};

enum class ThrownException { kRuntimeError, kBadArrayNewLength };

// A traced call of a stand-in that throws (std::runtime_error or std::bad_array_new_length)
// after it was recorded.
struct ThrowArrangement {
    std::string component;  // "ORVCore" of "ORVCore::OnServiceStop"
    std::string operation;  // "OnServiceStop"
    ThrownException exception = ThrownException::kRuntimeError;
    std::optional<unsigned> times = 1;  // empty: every call
    std::string path;                   // JSON path, for messages
};

// A traced call of a stand-in, or a log line, whose caller is held for `ms` of machine time
// once the call is recorded or the line written.
struct DelayArrangement {
    std::string component;   // for a call: "ConfigPolicyAgent" of "ConfigPolicyAgent::Init"
    std::string operation;   // for a call: "Init"
    std::string logMessage;  // for a log line: its exact message part; then no component
    std::int64_t ms = 0;
    std::optional<unsigned> times = 1;  // empty: every call
    std::string path;                   // JSON path, for messages
};

struct ClientArrangement {
    std::map<std::string, AgentArrangement> agents;  // by agent name
    std::optional<RegistrationArrangement> registration;
    std::optional<FullInitSignal> fullInitSignal;
    std::optional<bool> delayStartAllowed;
    std::optional<UserProcessBehaviour> userProcess;
    std::map<std::string, bool> helpersAbsent;  // helper class name -> absent
    std::optional<std::string> serviceVersion;
    std::optional<std::int64_t> tagCollectionDurationMs;
    std::optional<std::int64_t> diagnosticsScanDurationMs;
    std::vector<ThrowArrangement> throws;
    std::vector<DelayArrangement> delays;
    std::vector<std::string> emptyHelperSlots;  // helper factory slots that keep nothing
};

// ---- Matchers -----------------------------------------------------------------------------

enum class TextMatch { kExact, kPrefix, kContains, kRegex };
enum class LogLevel { kDebug, kInfo, kWarning, kError };

struct LogMatcher {
    std::string text;
    TextMatch match = TextMatch::kExact;
    std::optional<LogLevel> level;
    std::shared_ptr<const std::regex> pattern;  // kRegex: the parser's compiled `text`
};

struct CallMatcher {
    std::string component;
    std::string operation;                                        // empty: any operation
    std::optional<std::vector<std::optional<std::string>>> args;  // null entries match anything
};

struct PublicationMatcher {
    std::optional<int> topic;
    std::optional<int> state;
    std::optional<std::string> payload;
    std::optional<bool> accepted;
};

struct StatusMatcher {
    std::optional<std::uint32_t> state;
    std::optional<std::uint32_t> serviceType;
    std::optional<std::uint32_t> controlsAccepted;
    std::optional<std::uint32_t> win32ExitCode;
    std::optional<std::uint32_t> checkPoint;
    std::optional<std::uint32_t> waitHint;
};

struct CountRange {
    std::int64_t min = 1;
    std::optional<std::int64_t> max;  // empty: no upper bound
};

// One piece of evidence to wait for: a log line, a traced call or a bus publication.
struct Condition {
    std::optional<LogMatcher> log;
    std::optional<CallMatcher> call;
    std::optional<PublicationMatcher> publication;
    std::int64_t count = 1;
    bool onlyNew = false;  // only evidence that appears after the step began
};

// ---- Expectations -------------------------------------------------------------------------

// Each kind of expectation is a struct named by its key in the file; Expected below lists
// them all.

// Log lines counted (present, absent, exactly n, a range).
struct LogExpectation {
    static constexpr std::string_view kName = "log";
    LogMatcher matcher;
    CountRange count;
};

// Log lines in this order.
struct LogOrderExpectation {
    static constexpr std::string_view kName = "logOrder";
    std::vector<LogMatcher> matchers;
};

// Traced calls counted.
struct CallExpectation {
    static constexpr std::string_view kName = "call";
    CallMatcher matcher;
    CountRange count;
};

// Traced calls in this order.
struct CallsExpectation {
    static constexpr std::string_view kName = "calls";
    std::vector<CallMatcher> matchers;
};

// Bus publications counted.
struct PublicationExpectation {
    static constexpr std::string_view kName = "publication";
    PublicationMatcher matcher;
    CountRange count;
};

// Bus publications in this order (or exactly these).
struct PublicationsExpectation {
    static constexpr std::string_view kName = "publications";
    std::vector<PublicationMatcher> matchers;
    bool exactly = false;  // the whole record must equal the list
};

// SetServiceStatus reports counted.
struct StatusReportExpectation {
    static constexpr std::string_view kName = "statusReport";
    StatusMatcher matcher;
    CountRange count;
};

// Reports in this order (or exactly these).
struct StatusReportsExpectation {
    static constexpr std::string_view kName = "statusReports";
    std::vector<StatusMatcher> matchers;
    bool exactly = false;
};

// The service's Start and DelayedAutostart.
struct StartupTypeExpectation {
    static constexpr std::string_view kName = "startupType";
    std::optional<std::uint32_t> start;
    // An empty inner optional means "no DelayedAutostart value".
    std::optional<std::optional<std::uint32_t>> delayedAutostart;
};

// Host-measured spans a duration expectation can name.
enum class HostSpan { kOnStart, kOnStop, kStartToFullInit };

// A duration on the machine's clock: a host span, or from one log line to the next matching
// one after it.
struct DurationExpectation {
    static constexpr std::string_view kName = "duration";
    std::optional<HostSpan> span;
    std::optional<LogMatcher> from;
    std::optional<LogMatcher> to;
    std::optional<std::int64_t> atLeastMs;
    std::optional<std::int64_t> atMostMs;
};

// A registry value; remove = expect the value to be absent.
struct RegistryExpectation {
    static constexpr std::string_view kName = "registry";
    RegistryEdit value;
};

struct Expectation;

// At least one of several expectations.
struct AnyOfExpectation {
    static constexpr std::string_view kName = "anyOf";
    std::vector<Expectation> group;
};

// Every one of several expectations (an alternative of an anyOf).
struct AllOfExpectation {
    static constexpr std::string_view kName = "allOf";
    std::vector<Expectation> group;
};

// The kinds of expectation, in the order of the manual: the parser looks a key up here.
using Expected =
    std::variant<LogExpectation, LogOrderExpectation, CallExpectation, CallsExpectation,
                 PublicationExpectation, PublicationsExpectation, StatusReportExpectation,
                 StatusReportsExpectation, StartupTypeExpectation, DurationExpectation,
                 RegistryExpectation, AnyOfExpectation, AllOfExpectation>;

struct Expectation {
    std::string name;  // shown in the summary; generated when the file gives none
    std::string path;  // JSON path in the file, for messages
    Expected what;

    // The expectation's kind-specific part when it is of that kind, else null.
    template <class Kind>
    const Kind* As() const {
        return std::get_if<Kind>(&what);
    }
};

// ---- Timeline -----------------------------------------------------------------------------

// Each kind of step is a struct named by its "do" value; StepAction below lists them all.

// The entry points: the exception the scenario expects to escape (the host contains it); any
// other escape, or none, fails the step.
struct StartStep {
    static constexpr std::string_view kName = "start";
    std::optional<ThrownException> escapes;
};

struct StopStep {
    static constexpr std::string_view kName = "stop";
    std::optional<ThrownException> escapes;
};

// Any control code, event data null.
struct ControlStep {
    static constexpr std::string_view kName = "control";
    std::uint32_t code = 0;
    std::uint32_t eventType = 0;
};

// Control 14 with a session notification (or without data).
struct SessionChangeStep {
    static constexpr std::string_view kName = "sessionChange";
    std::uint32_t reason = 0;
    bool noData = false;
    std::uint32_t sessionId = 0;
};

// Control 13, with a power setting for 0x8013.
struct PowerEventStep {
    static constexpr std::string_view kName = "powerEvent";
    std::uint32_t eventType = 0;
    std::optional<std::string> settingGuid;
    std::vector<std::uint8_t> settingData;
};

// Control 16 with old and new time: moved by deltaMs from now, explicit, or without data.
struct TimeChangeStep {
    static constexpr std::string_view kName = "timeChange";
    bool noData = false;
    std::int64_t deltaMs = 0;
    std::optional<std::int64_t> oldTimeMs;  // ms since 1970
    std::optional<std::int64_t> newTimeMs;
};

// The wall clock moves; event log and control as Windows does.
struct ClockChangeStep {
    static constexpr std::string_view kName = "clockChange";
    std::int64_t deltaMs = 0;
    bool viaEventLog = true;
    bool viaControl = true;
};

// Time passes at once on both clocks.
struct AdvanceClockStep {
    static constexpr std::string_view kName = "advanceClock";
    std::int64_t durationMs = 0;
};

// A bus notification from a client component.
struct PublishStep {
    static constexpr std::string_view kName = "publish";
    int topic = 0;
    int state = 0;
    std::string payload;  // the payload text as it goes on the bus
};

// An event on the System channel (or an error notification): exactly one of the three.
struct EventLogStep {
    static constexpr std::string_view kName = "eventLog";
    std::optional<std::string> xml;
    std::optional<std::int64_t> timeDeltaMs;
    std::optional<std::uint32_t> errorCode;
};

struct RegistryStep {
    static constexpr std::string_view kName = "registry";
    RegistryEdit edit;
};

// Failure injection from now on.
struct FailStep {
    static constexpr std::string_view kName = "fail";
    FailureArrangement failure;
};

// Change arrangements while running.
struct ArrangeStep {
    static constexpr std::string_view kName = "arrange";
    std::optional<MachineArrangement> machine;
    std::optional<ClientArrangement> client;
};

// Wait on the machine's clock.
struct PauseStep {
    static constexpr std::string_view kName = "pause";
    std::int64_t durationMs = 0;
};

struct WaitForStep {
    static constexpr std::string_view kName = "waitFor";
    Condition condition;
};

// Evaluate expectations now.
struct CheckStep {
    static constexpr std::string_view kName = "check";
    std::vector<Expectation> expectations;
};

struct Step;

// Run the sub-steps at the same time.
struct TogetherStep {
    static constexpr std::string_view kName = "together";
    std::vector<Step> steps;
};

// The kinds of step, in the order of the manual: the parser looks a "do" value up here.
using StepAction = std::variant<StartStep, StopStep, ControlStep, SessionChangeStep, PowerEventStep,
                                TimeChangeStep, ClockChangeStep, AdvanceClockStep, PublishStep,
                                EventLogStep, RegistryStep, FailStep, ArrangeStep, PauseStep,
                                WaitForStep, CheckStep, TogetherStep>;

struct Step {
    std::string name;                       // announced; generated when the file gives none
    std::string path;                       // JSON path, for messages
    std::int64_t delayMs = 0;               // machine time to let pass before the action
    std::optional<std::int64_t> timeoutMs;  // real time; the scenario's default otherwise
    std::optional<Condition> after;         // wait before the action (races: act once X happened)
    std::optional<Condition> until;         // wait after the action
    StepAction action;

    // The step's kind-specific part when it is of that kind, else null.
    template <class Kind>
    const Kind* As() const {
        return std::get_if<Kind>(&action);
    }
};

struct Scenario {
    std::string file;  // where it came from ("(embedded default)" for the default)
    std::string name;
    std::string description;
    std::int64_t timeoutMs = 60000;  // real time, for every wait without its own
    MachineArrangement machine;
    ClientArrangement client;
    std::vector<Step> timeline;
    std::vector<Expectation> expectations;
};

}  // namespace orvhost
