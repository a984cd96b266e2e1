#include "platform/agents/general_app_settings_agent.h"

#include <atomic>

#include "sim/client/client_reset.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "GeneralAppSettingsAgent";

std::atomic<bool> g_shutdownInitiated{false};

}  // namespace

GeneralAppSettingsAgent* GeneralAppSettingsAgent::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    static GeneralAppSettingsAgent settings;
    return &settings;
}

void GeneralAppSettingsAgent::shutdownInitiated() {
    g_shutdownInitiated = true;
    orvsim::TraceCall(kComponent, "shutdownInitiated");
}

bool GeneralAppSettingsAgent::isShutdownInitiated() {
    orvsim::TraceCall(kComponent, "isShutdownInitiated");
    return g_shutdownInitiated.load();
}

namespace orvsim::client {

void ResetGeneralAppSettings() {
    g_shutdownInitiated = false;
}

}  // namespace orvsim::client
