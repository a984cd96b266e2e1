// The service's startup type: the watcher's decision on each trigger, the changes it makes
// through the service control manager, and the watcher's behaviour when its wait fails.

#include <gtest/gtest.h>

#include <optional>

#include "service_fixture.h"
#include "sim/client/control.h"
#include "sim/common_base/control.h"
#include "winapi/sim/control.h"

namespace orvtest {
namespace {

constexpr wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\OrvService";

const std::wstring kAlreadyDelayed = Line(
    scope::kStartupType, L"ORV Startup Type already has Automatic Delay-Start settings requested");
const std::wstring kChangedDelayed =
    Line(scope::kStartupType, L"ORV Startup Type changed to Automatic Delay-Start");
const std::wstring kAlreadyAutomatic =
    Line(scope::kStartupType, L"ORV Startup Type already Automatic");
const std::wstring kChangedAutomatic =
    Line(scope::kStartupType, L"ORV Startup Type changed to Automatic");
const std::wstring kTriggered =
    std::wstring(scope::kWatcher) + L" Received orv policy change event";

// Set-up: what the machine answers and the configuration before the evaluation (empty: no
// delayed-start value). Outcome: the lines written, the configuration after, what was asked.
struct Row {
    const char* name;
    bool policyAllows;
    const wchar_t* manufacturer;
    orvsim::DriveType drive;
    std::optional<DWORD> delayedBefore;
    DWORD startBefore;
    std::vector<std::wstring> lines;
    std::optional<DWORD> delayedAfter;
    DWORD startAfter;
    bool manufacturerAsked;
    bool driveAsked;
};

constexpr auto kHdd = orvsim::DriveType::kHdd;
constexpr auto kSsd = orvsim::DriveType::kSsd;

// clang-format off
const Row kRows[] = {
    {"policy forbids: plain automatic, nothing else asked",
     false, L"Quelro", kHdd, 1, 3, {kChangedDelayed, kChangedAutomatic}, 0, 2, false, false},
    {"Quelro in capitals on a hard disk: delayed, start type untouched",
     true, L"QUELRO", kHdd, 0, 3, {kChangedDelayed}, 1, 3, true, true},
    {"another manufacturer: plain automatic, drive not asked",
     true, L"Quelro Inc", kHdd, 1, 2, {kChangedDelayed, kAlreadyAutomatic}, 0, 2, true, false},
    {"Quelro without a hard disk: plain automatic",
     true, L"quelro", kSsd, 0, 2, {kAlreadyDelayed, kAlreadyAutomatic}, 0, 2, true, true},
    {"delayed wanted and already set: one line",
     true, L"Quelro", kHdd, 1, 2, {kAlreadyDelayed}, 1, 2, true, true},
    {"a stored flag other than 0 or 1 is rewritten",
     false, L"Quelro", kHdd, 7, 2, {kChangedDelayed, kAlreadyAutomatic}, 0, 2, false, false},
    {"no delayed-start value: left alone, start type corrected",
     false, L"Quelro", kHdd, std::nullopt, 4, {kChangedAutomatic}, std::nullopt, 2, false, false},
};
// clang-format on

class StartupTypeTest : public ServiceScenario {};

TEST_F(StartupTypeTest, EachTriggerAppliesTheDecisionTable) {
    StartUntilFullyInitialized();
    // Registration triggered the first evaluation; wait until it is done.
    ASSERT_TRUE(WaitForMessage(kAlreadyAutomatic));

    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        orvsim::ArrangeDelayStartAllowed(row.policyAllows);
        orvsim::ArrangeManufacturer(row.manufacturer);
        orvsim::ArrangeDriveType(row.drive);
        if (row.delayedBefore) {
            winsim::registry::SetDword(kServiceKey, L"DelayedAutostart", *row.delayedBefore);
        } else {
            winsim::registry::DeleteValue(kServiceKey, L"DelayedAutostart");
        }
        winsim::registry::SetDword(kServiceKey, L"Start", row.startBefore);
        orvsim::ClearTrace();
        const std::uint64_t mark = LogMark();

        orvsim::Publish(4, 15);
        ASSERT_TRUE(WaitUntil([&] { return MessagesSince(mark).size() >= 3 + row.lines.size(); }));
        std::vector<std::wstring> expected = {
            L"OrvClientService::OnORVNotification: Notification received; topicID: 4, "
            L"eventState: 15",
            std::wstring(scope::kNotification) + L":Received orv policy change event", kTriggered};
        expected.insert(expected.end(), row.lines.begin(), row.lines.end());
        EXPECT_EQ(MessagesSince(mark), expected);

        EXPECT_EQ(winsim::registry::GetDword(kServiceKey, L"DelayedAutostart"), row.delayedAfter);
        EXPECT_EQ(winsim::registry::GetDword(kServiceKey, L"Start"),
                  std::optional<DWORD>(row.startAfter));
        EXPECT_EQ(orvsim::TraceCount("SMBiosInformationRetriever", "GetManufacturer") > 0,
                  row.manufacturerAsked);
        EXPECT_EQ(
            orvsim::TraceCount("StorageCollector::HardDiskInfoCollector", "IsDriveTypeHDD") > 0,
            row.driveAsked);
        // The start type is not even read when delayed start is wanted.
        bool startRead = false;
        for (const orvsim::TraceEntry& entry :
             orvsim::TraceOf("ORV::CRegUtil", "GetRegValueOfDwordType")) {
            startRead |= entry.arguments.at(2) == "Start";
        }
        EXPECT_EQ(startRead, row.delayedAfter != std::optional<DWORD>(1));
    }
}

TEST_F(StartupTypeTest, UnreachableServiceManagerChangesNothingAndSaysNothing) {
    StartUntilFullyInitialized();
    ASSERT_TRUE(WaitForMessage(kAlreadyAutomatic));
    winsim::registry::SetDword(kServiceKey, L"Start", 3);

    for (auto call : {winsim::failures::Call::OpenSCManager, winsim::failures::Call::OpenService}) {
        const std::uint64_t calls = winsim::failures::CallCount(call);
        winsim::failures::FailNext(call, 1, ERROR_ACCESS_DENIED);
        const std::uint64_t mark = LogMark();
        orvsim::Publish(4, 15);
        ASSERT_TRUE(WaitUntil([&] { return winsim::failures::CallCount(call) > calls; }));
        EXPECT_FALSE(orvsim::WaitForLog(
            [mark](const orvsim::LogRecord& record) {
                return record.sequence > mark && record.message.starts_with(scope::kStartupType);
            },
            kQuietPeriod));
    }
    // The next trigger tries again from the start.
    orvsim::Publish(4, 15);
    ASSERT_TRUE(WaitForMessage(kChangedAutomatic));
    EXPECT_EQ(winsim::registry::GetDword(kServiceKey, L"Start"), std::optional<DWORD>(2));
    EXPECT_EQ(CountOf(kChangedAutomatic), 1);
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
    orvsim::Publish(4, 15);
    ASSERT_TRUE(
        WaitForMessage(std::wstring(scope::kNotification) + L":Received orv policy change event"));
    StopService();
    EXPECT_TRUE(Logged(std::wstring(scope::kWatcher) + L" Stop signalled"));
    EXPECT_FALSE(Logged(kTriggered));
    EXPECT_TRUE(MessagesStartingWith(scope::kStartupType).empty());
}

}  // namespace
}  // namespace orvtest
