#pragma once
// AgentInitializer: the process-wide list of the client's agents, which it initialises in two
// rounds. The list does not own the agents: copying, moving or destroying it never copies or
// destroys an agent.
//
// The common base library provides GetInstance, SetORVAgents and the two initialisation
// rounds; this library provides (and exports) construction, copy, move and destruction.

#include <mutex>
#include <vector>

#include "shared/agent_interfaces_fwd.h"
#include "shared/export.h"

class AgentInitializer {
  public:
    ORV_EXPORT AgentInitializer();   // empty list
    ORV_EXPORT ~AgentInitializer();  // frees the list's storage only

    // Copies the pointer values (the same agents).
    ORV_EXPORT AgentInitializer(const AgentInitializer& other);
    // Takes over other's storage; other's list is left empty.
    ORV_EXPORT AgentInitializer(AgentInitializer&& other) noexcept;
    // Copies the pointer values; grows the storage only when other has more entries than this
    // list can hold. Self-assignment does nothing.
    ORV_EXPORT AgentInitializer& operator=(const AgentInitializer& other);
    // Frees this list's storage, then takes over other's; other's list is left empty.
    // Self-assignment does nothing.
    ORV_EXPORT AgentInitializer& operator=(AgentInitializer&& other) noexcept;

    // Common base library. GetInstance: the process-wide initializer, created on first use.
    static AgentInitializer* GetInstance();
    // Replaces the list with a copy of agents (null entries allowed; they are skipped).
    void SetORVAgents(std::vector<IORVAgent*>& agents);
    // Initialises the listed agents in order, taking agentsMutex for each and looking at the
    // stop event (a HANDLE) between agents. True when a stop was requested meanwhile.
    bool InitializeAllAgents(void*& stopEvent, std::mutex& agentsMutex);
    // The second round, the same way, for the agents that initialised.
    bool FullInitializeAllAgents(void*& stopEvent, std::mutex& agentsMutex);

    const std::vector<IORVAgent*>& GetORVAgents() const { return agents_; }

  private:
    // Written by SetORVAgents on the worker thread before the rounds run there; not shared
    // otherwise.
    std::vector<IORVAgent*> agents_;
};
