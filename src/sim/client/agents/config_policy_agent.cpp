#include "platform/agents/config_policy_agent.h"

#include <atomic>

#include "sim/client/agent_support.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"
#include "sim/client/full_init_announcer.h"

namespace {

constexpr char kComponent[] = "ConfigPolicyAgent";

orvsim::client::OwnedInstance<ConfigPolicyAgent>& Instance() {
    static orvsim::client::OwnedInstance<ConfigPolicyAgent> instance;
    return instance;
}

std::atomic<bool> g_delayStartAllowed{false};

}  // namespace

ConfigPolicyAgent* ConfigPolicyAgent::GetInstance() {
    return orvsim::client::GetAgentInstance(kComponent, Instance(),
                                            [] { return new ConfigPolicyAgent(); });
}

ConfigPolicyAgent::ConfigPolicyAgent() : IORVAgent(L"ConfigPolicyAgent") {
    orvsim::client::AgentCreated(this);
}

ConfigPolicyAgent::~ConfigPolicyAgent() {
    orvsim::client::WithdrawFullInitAnnouncement();
    orvsim::client::AgentDestroyed(this);
    Instance().Forget(this);
}

bool ConfigPolicyAgent::Init() {
    const bool initialized =
        orvsim::client::TrackedInit(this, [this] { return IORVAgent::Init(); });
    if (initialized) {
        // The real agent announces once it has applied its first policy.
        orvsim::client::ArmFullInitAnnouncement();
    }
    return initialized;
}

void ConfigPolicyAgent::UnInit() {
    orvsim::client::WithdrawFullInitAnnouncement();
    IORVAgent::UnInit();
}

bool ConfigPolicyAgent::ValidateConfigForDelayStart() {
    const bool allowed = g_delayStartAllowed.load();
    orvsim::TraceCall(kComponent, "ValidateConfigForDelayStart");
    return allowed;
}

namespace orvsim {

void ArrangeDelayStartAllowed(bool allowed) {
    g_delayStartAllowed = allowed;
}

namespace client {

void ResetConfigPolicyAgent() {
    g_delayStartAllowed = false;
}

}  // namespace client
}  // namespace orvsim
