#pragma once
// The plain values a scenario file is made of: what to arrange on the machine and in the
// client, and the matchers that expectations and waits share. The kinds of step and of
// expectation (host/steps/, host/expectations/) are built from these; scenario.h puts it all
// together. Plain values; no behaviour.
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
#include <vector>

#include "host/machine/log_level.h"

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

}  // namespace orvhost
