// Clock changes where the time-change scenarios cannot reach: the exact 2 s window, the
// control's 32-bit difference, and TimeDeltaInMs readings of any size. After start-up the
// machine's clock moves only when the test advances it.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "service_fixture.h"
#include "shared/client_vocabulary.h"
#include "sim/client/client_control.h"
#include "winapi/control/machine_control.h"

namespace orvtest {
namespace {

using std::chrono::milliseconds;

constexpr DWORD kSubscriptionError = 15011;  // ERROR_EVT_QUERY_RESULT_STALE

std::wstring Sending(int seconds) {
    return Line(scope::kSendTimeChange, L"Windows OS Timechange event received.Time diff = " +
                                            std::to_wstring(seconds) +
                                            L". Sending internal time change notification");
}

std::wstring NotSending(int seconds, int64_t sinceLast) {
    return Line(scope::kSendTimeChange,
                L"Windows OS Timechange event received. Time diff = " + std::to_wstring(seconds) +
                    L" timeDiffBetweenLastNotification  = " + std::to_wstring(sinceLast) +
                    L". Not sending internal time change notification");
}

std::wstring Delta(int64_t milliseconds) {
    return Line(scope::kEventLogCallback,
                L"Time delta in milliseconds " + std::to_wstring(milliseconds));
}

// An event 1 of the System log whose data section is `data`.
std::wstring EventWithData(std::wstring_view data) {
    return L"<Event xmlns='http://schemas.microsoft.com/win/2004/08/events/event'><System>"
           L"<Provider Name='Microsoft-Windows-Kernel-General'/><EventID>1</EventID></System>"
           L"<EventData>" +
           std::wstring(data) + L"</EventData></Event>";
}

int64_t WallSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               winsim::clock::WallNow().time_since_epoch())
        .count();
}

class TimeChangeTest : public ServiceScenario {
  protected:
    void SetUp() override {
        ServiceScenario::SetUp();
        if (IsSkipped()) {
            return;
        }
        StartUntilFullyInitialized();
        // A hundredth of real time: the clock stands almost still while a report is handled.
        winsim::clock::SetScale(0.01);
        AdvanceToMidSecond(0ms);
    }

    // Advances the clock by `by` and on to the middle of a second, so that the service's
    // reading of the time and the test's fall in the same second even on a slow machine.
    static void AdvanceToMidSecond(milliseconds by) {
        winsim::clock::Advance(by);
        const auto ms =
            std::chrono::duration_cast<milliseconds>(winsim::clock::WallNow().time_since_epoch())
                .count() %
            1000;
        winsim::clock::Advance(milliseconds((1500 - ms) % 1000));
    }

    void TearDown() override {
        winsim::clock::SetScale(kClockScale);  // the stop's own waits at the usual pace
        ServiceScenario::TearDown();
    }

    // The lines the time-change path wrote since `mark`.
    static std::vector<std::wstring> ReportLines(std::uint64_t mark) {
        // Only the time-change path's own lines: the worker and the watcher may still be
        // writing theirs just after full initialisation.
        std::vector<std::wstring> lines = MessagesSince(mark);
        std::erase_if(lines, [](const std::wstring& line) {
            return !line.starts_with(scope::kEventLogCallback) &&
                   !line.starts_with(scope::kSendTimeChange) &&
                   !line.starts_with(scope::kTimeDelta) && !line.starts_with(scope::kControl);
        });
        return lines;
    }

    // Publishes `xml` on the System channel and returns the lines its delivery wrote.
    static std::vector<std::wstring> Report(const std::wstring& xml) {
        const std::uint64_t mark = LogMark();
        winsim::eventlog::PublishSystem(xml);
        winsim::eventlog::WaitUntilDelivered();
        return ReportLines(mark);
    }

    static std::vector<std::wstring> ReportDelta(milliseconds delta) {
        const auto now = winsim::clock::WallNow();
        return Report(winsim::eventlog::TimeChangeEventXml(now, now + delta));
    }
};

// The thresholds themselves are run end to end by scenarios/time-change-thresholds.json, on a
// real-time clock; here the two-second window is exact.
TEST_F(TimeChangeTest, TheWindowIsExactlyTwoSecondsAndTheControlKeeps32BitsOfTheDifference) {
    EXPECT_EQ(ReportDelta(61000ms).at(2), Sending(61));
    for (const orvsim::TraceEntry& notify : orvsim::TraceOf("ORVPublisherSubscriber", "Notify")) {
        EXPECT_EQ(notify.arguments, (std::vector<std::string>{"13", "0", "", ""}));
    }
    winsim::clock::Advance(2s);
    EXPECT_EQ(ReportDelta(90000ms).at(2), NotSending(90, 2));
    winsim::clock::Advance(1s);
    EXPECT_EQ(ReportDelta(90000ms).at(2), Sending(90));

    winsim::clock::Advance(3s);
    const int64_t wrapped = 1000 + (int64_t{1} << 32) + 30;
    // FILETIME counts 100 ns ticks from 1601.
    const auto fileTime = [](int64_t unixSeconds) {
        return (unixSeconds + 11644473600) * 10000000;
    };
    const std::uint64_t mark = LogMark();
    Host().SendTimeChange(fileTime(1000), fileTime(wrapped));
    ASSERT_TRUE(WaitUntil([mark] { return ReportLines(mark).size() >= 2; }));
    const std::vector<std::wstring> lines = ReportLines(mark);
    EXPECT_EQ(lines.at(0), Line(scope::kControl,
                                L"Windows OS Timechange event received. old secs=1000 new secs=" +
                                    std::to_wstring(wrapped)));
    EXPECT_EQ(lines.at(1), NotSending(30, 3));
    EXPECT_EQ(PublishedCount(orv::bus::kTopicTimeChanged, 0), 2);
}

struct DeltaCase {
    const char* name;
    std::wstring xml;
    int64_t delta;           // the delta the callback reads, in milliseconds
    std::wstring note = {};  // a line written between the receipt and the delta
    bool renderFails = false;
};

TEST_F(TimeChangeTest, TimeDeltaIsReadFromTheFirstClosedItemOfAnySizeOrIsZero) {
    // Far more than a thread's stack could take one frame per character.
    constexpr std::size_t kHuge = 200000;
    std::wstring unclosed;
    for (int i = 0; i < 5000; ++i) {
        unclosed += L"<Data Name=\"TimeDeltaInMs\">-1<Data Name='TimeDeltaInMs'>";
    }
    // The event log finds the event's id behind any amount of blank space.
    std::wstring spaced = EventWithData(L"<Data Name='TimeDeltaInMs'>91000</Data>");
    spaced.replace(spaced.find(L"<EventID>1"), 10, L"<EventID>" + std::wstring(kHuge, L' ') + L"1");
    const std::wstring outOfRange = Line(scope::kTimeDelta, L"TimeDeltaInMs out of range: ");
    const std::vector<DeltaCase> cases = {
        {"beyond 64 bits",
         EventWithData(L"<Data Name='TimeDeltaInMs'>123456789012345678901234</Data>"), 0,
         outOfRange},
        {"huge",
         EventWithData(L"<Data Name='TimeDeltaInMs'>" + std::wstring(kHuge, L'9') + L"</Data>"), 0,
         outOfRange},
        {"huge leading zeros",
         EventWithData(L"<Data Name='TimeDeltaInMs'>" + std::wstring(kHuge, L'0') +
                       L"75000</Data>"),
         75000},
        {"unclosed items passed over",
         EventWithData(unclosed + L"<Data Name='TimeDeltaInMs'>-80000</Data>"), 80000},
        {"event id behind blank space", spaced, 91000},
        {"not rendered", EventWithData(L"<Data Name='TimeDeltaInMs'>90000</Data>"), 0,
         Line(scope::kTimeDelta, L"Error while rendering xml 5"), true},
    };
    int64_t lastSent = 0;
    int published = 0;
    for (const DeltaCase& c : cases) {
        SCOPED_TRACE(c.name);
        AdvanceToMidSecond(3s);
        if (c.renderFails) {
            winsim::failures::FailNext(winsim::failures::Call::EvtRender, 2, ERROR_ACCESS_DENIED);
        }
        const std::vector<std::wstring> lines = Report(c.xml);
        ASSERT_EQ(lines.size(), c.note.empty() ? 3U : 4U);
        EXPECT_TRUE(lines[0].starts_with(Line(scope::kEventLogCallback, L"Callback received ")));
        if (!c.note.empty()) {
            EXPECT_TRUE(lines[1].starts_with(c.note)) << lines[1].substr(0, 200);
        }
        EXPECT_EQ(lines.end()[-2], Delta(c.delta));
        const int seconds = static_cast<int>(c.delta / 1000);
        if (seconds > 60) {
            EXPECT_EQ(lines.back(), Sending(seconds));
            lastSent = WallSeconds();
            ++published;
        } else {
            EXPECT_EQ(lines.back(), NotSending(seconds, WallSeconds() - lastSent));
        }
    }
    EXPECT_EQ(PublishedCount(orv::bus::kTopicTimeChanged, 0), published);

    // A subscription error writes only its receipt, and the callback lives on.
    const std::uint64_t mark = LogMark();
    winsim::eventlog::PublishError(winsim::eventlog::kSystemChannel, kSubscriptionError);
    winsim::eventlog::WaitUntilDelivered();
    EXPECT_EQ(MessagesSince(mark),
              std::vector<std::wstring>{
                  Line(scope::kEventLogCallback,
                       L"Callback received " + std::to_wstring(kSubscriptionError))});

    EXPECT_EQ(ReportDelta(90000ms).at(2), Sending(90));
    for (const orvsim::LogRecord& record : orvsim::LogRecords()) {
        EXPECT_NE(record.level, ORV::Log::kError) << record.message;
    }
}

}  // namespace
}  // namespace orvtest
