#include "platform/agents/device_manager_agent.h"

#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "DeviceManagerAgent";

}  // namespace

DeviceManagerAgent* DeviceManagerAgent::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    static DeviceManagerAgent agent;
    return &agent;
}

void DeviceManagerAgent::OnDeviceUnlock() {
    // Per-user device settings are the real agent's; the call itself is what the client sees.
    orvsim::TraceCall(kComponent, "OnDeviceUnlock");
}
