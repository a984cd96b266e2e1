#pragma once
// Arranging and reading the stand-ins of the client's sibling libraries other than the common
// base library (C++ control API for tests and orvhost; not part of those libraries).
//
// Arrangements take effect from the stand-in's next call and last until ResetClient. The
// common base library's control API (sim/common_base/agent_control.h) arranges what every
// agent shares: the duration and failure of Init, FullInit and UnInit (by agent name) and a
// null GetInstance (ArrangeMissingInstance, by class name without namespace, e.g.
// "ConfigPolicyAgent", "ExtensionModule", "ApplicabilityEvaluator", "AppAndTagCollection",
// "DiagnosticsManager"). Every call into a stand-in is recorded in the common call trace
// (sim/trace.h); calls the stand-ins make into each other are not. A call that changes state
// at once is recorded once its change can be seen, so a reader that waits for its entry
// finds the change made; a call that takes time (a scan, a collection, a registration, the
// bus's Cleanup, an agent's steps) is recorded when it starts and again, as "<call>Done",
// when it ends.
//
// Device information comes from the simulated machine itself: the processor architecture from
// GetNativeSystemInfo (winsim::SetProcessorArchitecture; x64, 9, by default), the SMBIOS
// manufacturer from the common base's ArrangeManufacturer, and MachineInformation's other
// fields from the registry values where Windows keeps them (HKEY_LOCAL_MACHINE
// HARDWARE\DESCRIPTION\System\BIOS: SystemSKU, SystemProductName, SystemFamily,
// SystemVersion, BIOSVersion, BIOSReleaseDate, SystemSerialNumber, BaseBoardSerialNumber;
// SOFTWARE\Microsoft\Windows NT\CurrentVersion: ProductName, CurrentBuild, EditionID;
// the computer name; the S-mode policy). Set them with winsim::registry.
//
// Any thread may call anything here.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvsim {

// --- The full-init announcement ---------------------------------------------------------
// Once the configuration-policy agent has initialised and every other agent that exists has
// been through its Init, the agent waits `delay` (simulated machine time) and publishes
// kTopicConfigPolicy, kStateMayFullyInitialize on the bus, as the real agent does after applying
// the first policy. Without a configuration-policy agent (arranged missing, or its Init failed)
// nothing is announced; its UnInit or destruction withdraws an announcement not yet made.
struct FullInitSignalArrangement {
    bool enabled = true;  // false: the announcement never comes
    std::chrono::milliseconds delay{200};
};
void ArrangeFullInitSignal(const FullInitSignalArrangement& arrangement);
FullInitSignalArrangement ArrangedFullInitSignal();

// --- The helper factory ----------------------------------------------------------------
// A slot of orv::ORVHelperFactory ("MachineInformation", "ApplicabilityEvaluator",
// "OrvStatusManager", "DeviceInfoProvider") that keeps nothing: its setter is recorded as
// usual but leaves the slot empty, as when another component of the client has handed the
// factory an empty helper. Takes effect from the setter's next call and also empties the slot
// of the factory there is now. Throws std::invalid_argument for another name.
void ArrangeEmptyHelperSlot(std::string_view slot);

// --- Agents the service constructs ("CoreAdapterAgent", "DeviceRegistrationAgent") -------
// Makes their constructor throw std::runtime_error.
void ArrangeConstructionFailure(std::string_view component, bool fails);

// --- Device registration -----------------------------------------------------------------
// How long RegisterDevice takes (simulated machine time); 0 by default. Its outcome is the
// common base library's ArrangeRegistration (sim/common_base/environment_control.h).
void ArrangeRegistrationDuration(std::chrono::milliseconds duration);

// --- Answers of the startup-type rule -----------------------------------------------------
void ArrangeDelayStartAllowed(bool allowed);  // ConfigPolicyAgent; false by default
enum class DriveType { kUnknown, kHdd, kSsd };
void ArrangeDriveType(DriveType type);  // StorageCollector; kSsd by default

// --- Where the extension module keeps its smart-message state (HKEY_LOCAL_MACHINE) -------
// ORV::SmartMessageV2::SmartMessageV2Utility deletes these values; seed them through the
// simulated registry (winsim) to watch a deletion.
inline constexpr wchar_t kSmartMessageKeyPath[] = L"Software\\Quelro\\ORV\\SmartMessage";
inline constexpr wchar_t kCachedMessageDigestValue[] = L"CachedMessageDigest";
inline constexpr wchar_t kEtagValue[] = L"Etag";
inline constexpr wchar_t kPreviousDownloadDigestTimestampValue[] =
    L"PreviousDownloadDigestTimestamp";

// --- Where the user's personas are kept (HKEY_LOCAL_MACHINE) ------------------------------
// orv::PersonaUtility reports a persona when a value of its name ("Gamer", "Student", ...)
// exists under this key.
inline constexpr wchar_t kPersonaKeyPath[] = L"Software\\Quelro\\ORV\\Persona";

// --- Version text (OrvInfo::GetOrvServiceVersion); "1.0.0.0" by default ------------------
void ArrangeServiceVersion(const std::wstring& version);

// --- Long-running calls (simulated machine time; a stop event cuts them short) -----------
void ArrangeTagCollectionDuration(std::chrono::milliseconds duration);    // 0 by default
void ArrangeDiagnosticsScanDuration(std::chrono::milliseconds duration);  // 0 by default

// --- The per-user process "ORVUserAgent.exe" -----------------------------------------------
struct UserProcessArrangement {
    bool datasetEnabled = true;
    // What CheckUserProcessSessionIdChange answers; unset: 1 exactly when the process runs in
    // another session than the active user session.
    std::optional<int> sessionChangeAnswer;
};
void ArrangeUserProcess(const UserProcessArrangement& arrangement);
struct UserProcessState {
    bool running = false;
    int sessionId = -1;  // where it runs
    int starts = 0;
    int stops = 0;
};
UserProcessState UserProcess();

// --- Read-back of the other stand-ins -----------------------------------------------------
struct MonitorState {
    bool deviceContextMonitorRunning = false;
    std::vector<int> userMonitorSessions;    // sessions whose user monitors run
    bool clientEventMonitorRunning = false;  // ORVEventMonitor
};
MonitorState Monitors();

struct PluginState {
    int activeSession = -1;
    bool userPluginsRunning = false;
    std::vector<int> suspendedSessions;
};
PluginState Plugins();

struct CommandProcessorState {
    bool initialized = false;
    int inits = 0;
    int uninits = 0;
    bool overlapSeen = false;  // Init and UnInit ran at the same time at least once
};
CommandProcessorState CommandProcessor();

// Service controls that reached the event manager, in order of arrival.
struct ForwardedControl {
    std::uint32_t control = 0;
    std::uint32_t eventType = 0;
    bool hasEventData = false;
    std::int64_t sessionId = -1;  // for session changes with data
};
std::vector<ForwardedControl> ForwardedControls();

// --- The bus ------------------------------------------------------------------------------
// One entry per call of ORVPublisherSubscriber::Notify, in the order the bus took them.
struct Publication {
    std::uint64_t sequence = 0;
    int topicId = 0;
    int eventState = 0;
    std::wstring payload;
    std::wstring messageType;
    std::wstring actionType;
    bool extension = false;
    bool zarn = false;
    std::wstring senderId;
    bool accepted = false;       // false: refused (bus stopping or notifying disabled)
    int deliveries = 0;          // handler calls made for it so far
    std::uint32_t threadId = 0;  // the publisher's
};
std::vector<Publication> Publications();
void ClearPublications();
int SubscriberCount();

// Blocks until every accepted notification has been delivered, or `timeout` (real time)
// passes. Returns whether the bus was idle. Never call from a bus handler.
bool WaitForBusIdle(std::chrono::milliseconds timeout);

// Blocks until a publication matching `match` has been recorded, or `timeout` (real time).
bool WaitForPublication(const std::function<bool(const Publication&)>& match,
                        std::chrono::milliseconds timeout);

// Publishes (topicId, eventState, payload) as a client component would.
void Publish(int topicId, int eventState, const std::wstring& payload = {});

// --- Everything back to defaults ------------------------------------------------------------
// Withdraws a pending full-init announcement; stops the bus, dropping what it has not yet
// delivered (no handler runs once this returns), and releases its subscribers; clears the
// publication record; puts every arrangement and every stand-in's state of this API back to
// its default, and removes the exceptions arranged on traced calls (sim/trace.h). The common
// base library's arrangements, the helper factory (like the common base's agent factory) and
// the call trace are left alone. Not to be called while the client runs.
void ResetClient();

}  // namespace orvsim
