// The service's startup type where the startup-type scenarios cannot reach: a service control
// manager that fails once, a missing delayed-start value, and a watcher whose wait fails.

#include <gtest/gtest.h>

#include <optional>

#include "service_fixture.h"
#include "shared/client_vocabulary.h"
#include "sim/client/client_control.h"
#include "winapi/control/machine_control.h"

namespace orvtest {
namespace {

constexpr wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\OrvService";

const std::wstring kAlreadyAutomatic =
    Line(scope::kStartupType, L"ORV Startup Type already Automatic");
const std::wstring kChangedAutomatic =
    Line(scope::kStartupType, L"ORV Startup Type changed to Automatic");

class StartupTypeTest : public ServiceScenario {};

TEST_F(StartupTypeTest, UnreachableServiceManagerChangesNothingAndTheNextTriggerStartsAfresh) {
    StartUntilFullyInitialized();
    ASSERT_TRUE(WaitForMessage(kAlreadyAutomatic));
    winsim::registry::SetDword(kServiceKey, L"Start", 3);
    winsim::registry::DeleteValue(kServiceKey, L"DelayedAutostart");

    for (auto call : {winsim::failures::Call::OpenSCManager, winsim::failures::Call::OpenService}) {
        const std::uint64_t calls = winsim::failures::CallCount(call);
        winsim::failures::FailNext(call, 1, ERROR_ACCESS_DENIED);
        const std::uint64_t mark = LogMark();
        orvsim::Publish(orv::bus::kTopicConfigPolicy, orv::bus::kStatePolicyChanged);
        ASSERT_TRUE(WaitUntil([&] { return winsim::failures::CallCount(call) > calls; }));
        EXPECT_FALSE(orvsim::WaitForLog(
            [mark](const orvsim::LogRecord& record) {
                return record.sequence > mark && record.message.starts_with(scope::kStartupType);
            },
            kQuietPeriod));
    }
    // Without a delayed-start value that half is left alone; the start type is corrected.
    const std::uint64_t mark = LogMark();
    orvsim::Publish(orv::bus::kTopicConfigPolicy, orv::bus::kStatePolicyChanged);
    ASSERT_TRUE(WaitForMessage(kChangedAutomatic));
    std::vector<std::wstring> changes = MessagesSince(mark);
    std::erase_if(changes,
                  [](const std::wstring& line) { return !line.starts_with(scope::kStartupType); });
    EXPECT_EQ(changes, std::vector<std::wstring>{kChangedAutomatic});
    EXPECT_EQ(winsim::registry::GetDword(kServiceKey, L"Start"), std::optional<DWORD>(2));
    EXPECT_EQ(winsim::registry::GetDword(kServiceKey, L"DelayedAutostart"), std::nullopt);
}

TEST_F(StartupTypeTest, WatcherWithoutAChangeEventNeitherSpinsNorMissesTheStop) {
    // The worker creates the change event right after it reads the realm; make that fail.
    const OnLogLine failNextEvent(Line(scope::kWorker, L"Org id/realm from registry:"), [] {
        winsim::failures::FailNext(winsim::failures::Call::CreateEvent, 1, ERROR_NOT_ENOUGH_MEMORY);
    });
    StartUntilFullyInitialized();
    ASSERT_TRUE(failNextEvent.Fired());

    // Five seconds of machine time: a watcher that retried at once would wait thousands of
    // times.
    const std::uint64_t waits = winsim::failures::CallCount(winsim::failures::Call::Wait);
    Sleep(5000);
    EXPECT_LT(winsim::failures::CallCount(winsim::failures::Call::Wait) - waits, 100U);

    // Policy changes find no event to signal; nothing is evaluated.
    orvsim::Publish(orv::bus::kTopicConfigPolicy, orv::bus::kStatePolicyChanged);
    ASSERT_TRUE(
        WaitForMessage(std::wstring(scope::kNotification) + L":Received orv policy change event"));
    StopService();
    EXPECT_TRUE(Logged(std::wstring(scope::kWatcher) + L" Stop signalled"));
    EXPECT_FALSE(Logged(std::wstring(scope::kWatcher) + L" Received orv policy change event"));
    EXPECT_TRUE(MessagesStartingWith(scope::kStartupType).empty());
}

}  // namespace
}  // namespace orvtest
