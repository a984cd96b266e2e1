#include "shared/agent_initializer.h"

#include <exception>

#include "base/unicode.h"
#include "platform/common_base/log.h"
#include "platform/common_base/orv_agent.h"
#include "sim/common_base/internal_reset.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace {

constexpr char kComponent[] = "AgentInitializer";

enum class Round { kInit, kFullInit };

bool StopRequested(HANDLE stopEvent) {
    return stopEvent != nullptr && WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
}

// The name is only for the log line, not a call of the client's, so it is not traced.
std::wstring NameForLog(IORVAgent& agent) {
    orvsim::TraceSilence silence;
    try {
        return agent.Name();
    } catch (...) {
        return L"<unnamed agent>";
    }
}

// One agent's step of a round, under the agents mutex. A failing agent is logged and left
// uninitialized; the round goes on with the next one.
void RunStep(Round round, IORVAgent& agent, std::mutex& agentsMutex) {
    const wchar_t* scope = round == Round::kInit ? L"AgentInitializer::InitializeAllAgents"
                                                 : L"AgentInitializer::FullInitializeAllAgents";
    std::lock_guard lock(agentsMutex);
    if (round == Round::kFullInit && !agent.IsInitialized()) {
        return;
    }
    try {
        const bool ok = round == Round::kInit ? agent.Init() : agent.FullInit();
        if (!ok) {
            ORV::g_log.e(L"%s: %s failed to initialize", scope, NameForLog(agent));
        }
    } catch (const std::exception& error) {
        ORV::g_log.e(L"%s: %s threw during initialization: %s", scope, NameForLog(agent),
                     orvbase::Utf8ToWide(error.what()));
    }
}

// Walks the roster in order and looks at the stop event before each agent and after the last.
bool RunRound(Round round, const std::vector<IORVAgent*>& agents, HANDLE stopEvent,
              std::mutex& agentsMutex) {
    for (IORVAgent* agent : agents) {
        if (StopRequested(stopEvent)) {
            return true;
        }
        if (agent != nullptr) {
            RunStep(round, *agent, agentsMutex);
        }
    }
    return StopRequested(stopEvent);
}

AgentInitializer& Instance() {
    static AgentInitializer instance;
    return instance;
}

}  // namespace

namespace orvsim::internal {

void ResetAgentInitializer() {
    Instance() = AgentInitializer();
}

}  // namespace orvsim::internal

AgentInitializer* AgentInitializer::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    return &Instance();
}

void AgentInitializer::SetORVAgents(std::vector<IORVAgent*>& agents) {
    agents_ = agents;
    orvsim::TraceCall(kComponent, "SetORVAgents", agents.size());
}

bool AgentInitializer::InitializeAllAgents(void*& stopEvent, std::mutex& agentsMutex) {
    orvsim::TraceCall(kComponent, "InitializeAllAgents", stopEvent, agents_.size());
    const bool stopped = RunRound(Round::kInit, agents_, stopEvent, agentsMutex);
    orvsim::TraceCall(kComponent, "InitializeAllAgentsDone", stopped);
    return stopped;
}

bool AgentInitializer::FullInitializeAllAgents(void*& stopEvent, std::mutex& agentsMutex) {
    orvsim::TraceCall(kComponent, "FullInitializeAllAgents", stopEvent, agents_.size());
    const bool stopped = RunRound(Round::kFullInit, agents_, stopEvent, agentsMutex);
    orvsim::TraceCall(kComponent, "FullInitializeAllAgentsDone", stopped);
    return stopped;
}
