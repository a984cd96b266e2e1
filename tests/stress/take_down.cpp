#include "take_down.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
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

// The sequence number of the first kept line with exactly this message; 0 when there is none.
std::uint64_t FirstLine(std::wstring_view message) {
    for (const orvsim::LogRecord& record : orvsim::LogRecords()) {
        if (record.message == message) {
            return record.sequence;
        }
    }
    return 0;
}

// Whether the take-down's work began before the worker wrote `workerLine`.
bool TakeDownCameFirst(std::wstring_view workerLine) {
    const std::uint64_t takeDown = FirstLine(Line(scope::kUnInit, L"Service stop event received"));
    const std::uint64_t worker = FirstLine(Line(scope::kWorker, workerLine));
    return takeDown != 0 && worker != 0 && takeDown < worker;
}

}  // namespace

std::string Leftovers::Describe() const {
    if (deviceContextMonitor && commandProcessor) {
        return "monitor+command-processor";
    }
    if (deviceContextMonitor) {
        return "monitor";
    }
    return commandProcessor ? "command-processor" : "none";
}

Leftovers ExpectFirstTakeDown() {
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

    Leftovers left;
    left.deviceContextMonitor = orvsim::Monitors().deviceContextMonitorRunning;
    left.commandProcessor = orvsim::CommandProcessor().initialized;
    if (left.deviceContextMonitor) {
        EXPECT_TRUE(TakeDownCameFirst(L"Initializing DeviceContext Event Monitor"))
            << "the device-context monitor runs on after a take-down that came after its start";
    }
    if (left.commandProcessor) {
        EXPECT_TRUE(TakeDownCameFirst(L"Init called for KESCommandProcessor"))
            << "the command processor is still initialised after a take-down that came after "
               "its Init";
    }
    return left;
}

}  // namespace orvstress
