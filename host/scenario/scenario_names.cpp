#include "host/scenario/scenario_names.h"

#include <algorithm>

#include "shared/client_vocabulary.h"

namespace orvhost::names {

const std::vector<std::string_view>& Agents() {
    static const std::vector<std::string_view> agents = {
        "DownloadAgent",           "ConfigPolicyAgent", "CoreAdapterAgent",  "MDMAgent",
        "DeviceRegistrationAgent", "EventManager",      "NotificationAgent", "AppProvisioningAgent",
        "ClientBrokerManager",     "DataSyncAgent",     "DeployAgent",       "ExtensionModule"};
    return agents;
}

bool IsConstructedAgent(std::string_view agent) {
    return agent == "CoreAdapterAgent" || agent == "DeviceRegistrationAgent";
}

const std::vector<std::string_view>& Helpers() {
    static const std::vector<std::string_view> helpers = {
        "ApplicabilityEvaluator", "AppAndTagCollection", "DiagnosticsManager"};
    return helpers;
}

const std::vector<std::string_view>& HelperSlots() {
    static const std::vector<std::string_view> slots = {
        "MachineInformation", "ApplicabilityEvaluator", "OrvStatusManager", "DeviceInfoProvider"};
    return slots;
}

const std::vector<std::string_view>& FailingCalls() {
    // In the order of winsim::failures::Call.
    static const std::vector<std::string_view> calls = {
        "CreateEvent",          "CreateMutex",          "Wait",         "CreateThreadpool",
        "CreateThreadpoolWork", "OpenSCManager",        "OpenService",  "ChangeServiceConfig",
        "ChangeServiceConfig2", "SetServiceStatus",     "EvtSubscribe", "EvtRender",
        "CoInitializeEx",       "CoInitializeSecurity", "RegOpenKey",   "RegCreateKey",
        "RegGetValue",          "RegQueryValue",        "RegSetValue",  "RegNotifyChangeKeyValue",
        "CreateThread"};
    return calls;
}

const NumberNames& Architectures() {
    static const NumberNames table = {{"x86", 0}, {"arm", 5},    {"ia64", 6},
                                      {"x64", 9}, {"arm64", 12}, {"unknown", 0xFFFF}};
    return table;
}

const NumberNames& ControlCodes() {
    static const NumberNames table = {
        {"stop", 1},
        {"pause", 2},
        {"continue", 3},
        {"interrogate", 4},
        {"shutdown", 5},
        {"paramChange", 6},
        {"netBindAdd", 7},
        {"netBindRemove", 8},
        {"netBindEnable", 9},
        {"netBindDisable", 10},
        {"deviceEvent", 11},
        {"hardwareProfileChange", 12},
        {"powerEvent", 13},
        {"sessionChange", 14},
        {"preshutdown", 15},
        {"timeChange", 16},
        {"diagnostics", orv::control_codes::kDiagnosticsScan},
        {"diagnosticsFull", orv::control_codes::kDiagnosticsScanAlternate},
        {"maintenance", orv::control_codes::kMaintenance},
        {"maintenanceSecond", orv::control_codes::kMaintenanceAlternate}};
    return table;
}

const NumberNames& SessionReasons() {
    static const NumberNames table = {{"consoleConnect", 1}, {"consoleDisconnect", 2},
                                      {"remoteConnect", 3},  {"remoteDisconnect", 4},
                                      {"logon", 5},          {"logoff", 6},
                                      {"lock", 7},           {"unlock", 8},
                                      {"remoteControl", 9},  {"create", 10},
                                      {"terminate", 11}};
    return table;
}

const NumberNames& PowerEvents() {
    static const NumberNames table = {
        {"querySuspend", 0},           {"querySuspendFailed", 2}, {"suspend", 4},
        {"resumeCritical", 6},         {"resumeSuspend", 7},      {"batteryLow", 9},
        {"powerStatusChange", 10},     {"oemEvent", 11},          {"resumeAutomatic", 18},
        {"powerSettingChange", 0x8013}};
    return table;
}

const NumberNames& ServiceStates() {
    static const NumberNames table = {{"stopped", 1}, {"startPending", 2},    {"stopPending", 3},
                                      {"running", 4}, {"continuePending", 5}, {"pausePending", 6},
                                      {"paused", 7}};
    return table;
}

const NumberNames& StartTypes() {
    static const NumberNames table = {
        {"boot", 0}, {"system", 1}, {"automatic", 2}, {"manual", 3}, {"disabled", 4}};
    return table;
}

std::string_view NameOf(const NumberNames& table, std::int64_t number) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const auto& entry) { return entry.second == number; });
    return found == table.end() ? std::string_view() : found->first;
}

}  // namespace orvhost::names
