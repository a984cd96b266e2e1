#pragma once

// The client's command processor (KESCommandProcessor library): executes commands that
// arrive from the management back end once it has been initialised.

class KESCommandProcessor {
  public:
    // The process-wide processor; never null, never deleted (callers keep a plain pointer).
    static KESCommandProcessor* GetInstance();

    // Brings the processor up; a second call while it is up does nothing. The service
    // calls Init and UnInit under its agents mutex, so the two never overlap.
    void Init();

    // Takes the processor down; does nothing when it is not up.
    void UnInit();

    KESCommandProcessor(const KESCommandProcessor&) = delete;
    KESCommandProcessor& operator=(const KESCommandProcessor&) = delete;

  private:
    KESCommandProcessor() = default;
    ~KESCommandProcessor() = default;
};
