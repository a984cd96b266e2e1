// What a stop must have done and taken down, judged from the log, the call trace and the
// stand-ins' state once the stop has returned.

#include <gtest/gtest.h>

#include <vector>

#include "child_run.h"
#include "service_fixture.h"
#include "sim/client/client_control.h"

namespace orvstress {

namespace {

using orvtest::Line;
namespace scope = orvtest::scope;

const char* const kAgents[] = {
    "DownloadAgent",           "ConfigPolicyAgent", "CoreAdapterAgent",  "MDMAgent",
    "DeviceRegistrationAgent", "EventManager",      "NotificationAgent", "AppProvisioningAgent",
    "ClientBrokerManager",     "DataSyncAgent",     "DeployAgent",       "ExtensionModule"};

}  // namespace

void ExpectStoppedOnce() {
    using orvtest::CountOf;
    EXPECT_EQ(CountOf(Line(scope::kOnStop, L"Service is stopping")), 1);
    EXPECT_EQ(CountOf(Line(scope::kOnStop, L"Service stopped")), 1);
    EXPECT_EQ(CountOf(L"OnStop Wait timeout completed"), 1);
    EXPECT_EQ(CountOf(Line(scope::kCleanup, L"Enter")), 1);
    EXPECT_EQ(CountOf(Line(scope::kCleanup, L"Exit")), 1);
    EXPECT_TRUE(orvtest::LoggedInOrder({Line(scope::kOnStop, L"Service is stopping"),
                                        Line(scope::kOnStop, L"Service stopped"),
                                        L"OnStop Wait timeout completed"}));
    EXPECT_TRUE(orvtest::LoggedInOrder(
        {Line(scope::kCleanup, L"Exit"), Line(scope::kOnStop, L"Service stopped")}));
}

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
