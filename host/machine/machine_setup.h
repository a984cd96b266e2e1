#pragma once
// The machine orvhost runs the service on, arranged through the simulated machine's and the
// stand-ins' control APIs.

namespace orvhost {

// The service's name in the service database, and its key under HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kServiceName[] = L"ORVService";

struct MachineOptions {
    double clockScale = 1.0;  // simulated time runs this many times as fast as real time
};

// A machine whose set-up is complete (image state complete, OOBE done) with the service
// installed for automatic start (Start 2, DelayedAutostart 0), and a client with every
// stand-in at its defaults. Resets whatever was arranged before.
void ArrangeDefaultMachine(const MachineOptions& options);

}  // namespace orvhost
