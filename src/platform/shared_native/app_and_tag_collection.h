#pragma once

#include "winapi/windows_api.h"

// Collects the device's installed apps and tags for the back end (shared-native library).
// Collections run on the calling thread; any thread may call, one collection at a time runs.
class AppAndTagCollection {
  public:
    // The process-wide collection, or null when the feature is absent from this client.
    // Never deleted by callers.
    static AppAndTagCollection* GetInstance();

    // Full first collection at start-up. isArm64 selects the ARM64 app inventory;
    // includeApps adds the installed apps to the tags. Gives up as soon as stopEvent (read,
    // not kept) is signalled.
    void CollectTags(HANDLE stopEvent, bool isArm64, bool includeApps);

    // Refreshes the tags collected before (maintenance); stops like CollectTags.
    void RefreshTags(HANDLE stopEvent, bool isArm64);

    AppAndTagCollection(const AppAndTagCollection&) = delete;
    AppAndTagCollection& operator=(const AppAndTagCollection&) = delete;

  private:
    AppAndTagCollection() = default;
    ~AppAndTagCollection() = default;
};
