#pragma once

// The client's general app settings: remembers that the system is shutting down, so that
// the client's components can skip long work. Any thread.
class GeneralAppSettingsAgent {
  public:
    // The process-wide settings; never null, never deleted by callers.
    static GeneralAppSettingsAgent* GetInstance();

    // Marks the system as shutting down; later calls change nothing.
    void shutdownInitiated();

    // Whether shutdownInitiated has been called.
    bool isShutdownInitiated();

    GeneralAppSettingsAgent(const GeneralAppSettingsAgent&) = delete;
    GeneralAppSettingsAgent& operator=(const GeneralAppSettingsAgent&) = delete;

  private:
    GeneralAppSettingsAgent() = default;
    ~GeneralAppSettingsAgent() = default;
};
