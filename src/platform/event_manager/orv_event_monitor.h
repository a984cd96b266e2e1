#pragma once

// The client event monitor (event-manager library): watches the client's own events from the
// moment the event manager initialises until Shutdown. Any thread.
class ORVEventMonitor {
  public:
    // The process-wide monitor; never null, never deleted by callers.
    static ORVEventMonitor* GetInstance();

    // Starts watching (the event manager does this when it initialises); does nothing when
    // the monitor already runs.
    void Start();

    // Stops the monitor; does nothing when it does not run. Returns when it has stopped.
    void Shutdown();

    ORVEventMonitor(const ORVEventMonitor&) = delete;
    ORVEventMonitor& operator=(const ORVEventMonitor&) = delete;

  private:
    ORVEventMonitor() = default;
    ~ORVEventMonitor() = default;
};
