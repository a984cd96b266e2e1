#pragma once

#include <optional>
#include <string>

#include "winapi/windows_api.h"

// Extra settings of one diagnostics scan; the service always passes none.
struct DiagnosticsParams {
    std::wstring testName;
};

// The client's diagnostics scanner (DiagnosticScanner library).
class DiagnosticsManager {
  public:
    // The process-wide manager, or null when the scanner is not available on this machine.
    // Never deleted by callers.
    static DiagnosticsManager* GetInstance();

    // Keeps stopEvent (not owned): a scan gives up as soon as it is signalled. The handle
    // must stay open while scans may run; a closed handle counts as a stop.
    void Init(HANDLE stopEvent);

    // Runs one scan for the control code (210 or 211) on the calling thread and returns
    // when it has finished or was stopped.
    void StartDiagnosticsScan(DWORD controlCode, std::optional<DiagnosticsParams> params = {});

    DiagnosticsManager(const DiagnosticsManager&) = delete;
    DiagnosticsManager& operator=(const DiagnosticsManager&) = delete;

  private:
    DiagnosticsManager() = default;
    ~DiagnosticsManager() = default;
};
