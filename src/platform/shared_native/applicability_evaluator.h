#pragma once

#include "winapi/windows_api.h"

// Decides which of the client's content applies to this device and its user, from persona
// tags that it keeps up to date (shared-native library). Any thread.
class ApplicabilityEvaluator {
  public:
    // The process-wide evaluator, created on first use; null when unavailable. The caller
    // takes ownership (a shared pointer that deletes it); after its deletion the next call
    // creates a fresh one.
    static ApplicabilityEvaluator* GetInstance();
    ~ApplicabilityEvaluator();

    // Keeps the service's stop event (not owned) for every evaluator: once it is signalled,
    // no more refreshes are started.
    static void SetOrvIsStoppingHandle(HANDLE stopEvent);

    // Re-reads the persona tags of the logged-on user; does nothing after Uninit or a stop.
    void RefreshPersonaTagMonitoring();

    // Stops tag monitoring; later calls do nothing.
    void Uninit();

    ApplicabilityEvaluator(const ApplicabilityEvaluator&) = delete;
    ApplicabilityEvaluator& operator=(const ApplicabilityEvaluator&) = delete;

  private:
    ApplicabilityEvaluator();
};
