#pragma once
// IORVAgent: the base of every agent of the client.
//
// An agent has a display name, an initialized flag and three lifecycle steps. The agent
// initializer (AgentInitializer) calls Init for every agent of its roster and, once the client
// may fully initialize, FullInit for those that initialized; the service's take-down calls
// UnInit for each agent whose initialized flag is set, each on a thread of its own.
//
// Threads: Init and FullInit run on the thread that drives the initializer (the service's
// worker thread) under the service's agents mutex; UnInit runs on a thread of its own and may
// overlap other agents' UnInit. The flags are atomic, so any thread may read them.
//
// The base implementation of the three steps is the common base library's; agents override
// them to do their own work and call the base to keep the flags right.

#include <atomic>
#include <string>

class IORVAgent {
  public:
    explicit IORVAgent(std::wstring name);
    virtual ~IORVAgent();

    IORVAgent(const IORVAgent&) = delete;
    IORVAgent& operator=(const IORVAgent&) = delete;

    // Display name, for log lines.
    virtual std::wstring Name();

    // First round of initialization. True on success; sets the initialized flag then.
    virtual bool Init();

    // Second round, once the client may fully initialize. True on success; sets the fully
    // initialized flag then. An agent whose Init did not succeed is not fully initialized.
    virtual bool FullInit();

    // Takes the agent down; returns when it is down. Clears both flags.
    virtual void UnInit();

    bool IsInitialized() const { return _isInitialized.load(); }
    bool IsFullyInitialized() const { return _isFullyInitialized.load(); }

  protected:
    std::atomic<bool> _isInitialized{false};
    std::atomic<bool> _isFullyInitialized{false};

  private:
    const std::wstring _name;
};
