#pragma once
// Turning a scenario's arrangements into calls of the simulated machine's and the stand-ins'
// control APIs.
//
// Call ArrangeInitial only while no service runs (it resets the machine). The Apply functions
// may be called while the service runs: each changes only what its arrangement names, and
// takes effect from the stand-ins' next call. Any thread.

#include <optional>

#include "host/scenario/scenario_model.h"
#include "winapi/windows_api.h"

namespace orvhost {

// The default machine (set-up complete, "ORVService" installed for automatic start, every
// stand-in at its defaults), then the scenario's arrangements on top. `clockScale`, when
// given, overrides the scenario's. Returns the service's status handle, taken before the
// scenario's arrangements (which may uninstall the service).
SERVICE_STATUS_HANDLE ArrangeInitial(const MachineArrangement& machine,
                                     const ClientArrangement& client,
                                     std::optional<double> clockScale);

void ApplyMachine(const MachineArrangement& machine);
void ApplyClient(const ClientArrangement& client);
void ApplyRegistryEdit(const RegistryEdit& edit);
void ApplyFailure(const FailureArrangement& failure);

}  // namespace orvhost
