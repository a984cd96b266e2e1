#include "take_down.h"

#include <gtest/gtest.h>

#include <vector>

#include "service_fixture.h"
#include "sim/client/control.h"

namespace orvstress {

namespace {

using orvtest::Line;
namespace scope = orvtest::scope;

const char* const kAgents[] = {
    "DownloadAgent",           "ConfigPolicyAgent", "CoreAdapterAgent",  "MDMAgent",
    "DeviceRegistrationAgent", "EventManager",      "NotificationAgent", "AppProvisioningAgent",
    "ClientBrokerManager",     "DataSyncAgent",     "DeployAgent",       "ExtensionModule"};

}  // namespace

void ExpectFirstTakeDown() {
    EXPECT_EQ(orvtest::CountOf(Line(scope::kUnInit, L"Service stop event received")), 1);
    for (const char* agent : kAgents) {
        int initialised = 0;
        for (const orvsim::TraceEntry& entry : orvsim::TraceOf(agent, "InitDone")) {
            initialised += entry.arguments == std::vector<std::string>{"true"} ? 1 : 0;
        }
        EXPECT_EQ(static_cast<int>(orvsim::TraceCount(agent, "UnInitDone")), initialised)
            << agent << " was initialised " << initialised << " times";
    }
    EXPECT_FALSE(orvsim::Monitors().clientEventMonitorRunning);
    EXPECT_FALSE(orvsim::CommandProcessor().overlapSeen);

    // A take-down that ran while the worker was still starting up leaves the worker nothing
    // to start afterwards.
    EXPECT_FALSE(orvsim::Monitors().deviceContextMonitorRunning);
    EXPECT_FALSE(orvsim::CommandProcessor().initialized);
}

}  // namespace orvstress
