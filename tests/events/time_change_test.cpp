// Clock changes, from the System event log and from the time-change control: the 60 s and 2 s
// thresholds, the reading of TimeDeltaInMs, and the failure paths of the event-log callback.
//
// After start-up the machine's clock nearly stands still and moves only when the test
// advances it, so "two seconds after the last notification" is exact.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "service_fixture.h"
#include "sim/client/control.h"
#include "winapi/sim/control.h"

namespace orvtest {
namespace {

using std::chrono::milliseconds;

constexpr int64_t kFileTimeTicksPerSecond = 10000000;
constexpr DWORD kSubscriptionError = 15011;  // ERROR_EVT_QUERY_RESULT_STALE
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

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

int64_t FileTimeOfUnixSeconds(int64_t seconds) {
    return (seconds + kSecondsFrom1601To1970) * kFileTimeTicksPerSecond;
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
        // A hundredth of real time: the clock stands still for the length of the test, half
        // way through a second.
        winsim::clock::SetScale(0.01);
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

    // Delivers the time-change control and returns the two lines its handling wrote.
    std::vector<std::wstring> ReportControl(int64_t oldSeconds, int64_t newSeconds) {
        const std::uint64_t mark = LogMark();
        Host().SendTimeChange(FileTimeOfUnixSeconds(oldSeconds), FileTimeOfUnixSeconds(newSeconds));
        EXPECT_TRUE(WaitUntil([mark] { return ReportLines(mark).size() >= 2; }));
        return ReportLines(mark);
    }
};

TEST_F(TimeChangeTest, ThresholdsOfSixtySecondsAndTwoSecondsHold) {
    const int64_t start = WallSeconds();
    std::vector<std::wstring> lines = ReportDelta(60999ms);
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_TRUE(lines[0].starts_with(Line(scope::kEventLogCallback, L"Callback received ")));
    EXPECT_EQ(lines[1], Delta(60999));
    EXPECT_EQ(lines[2], NotSending(60, start));

    // The first change of more than a minute is published; a clock set back counts the same.
    lines = ReportDelta(-61000ms);
    EXPECT_EQ(lines.at(1), Delta(61000));
    EXPECT_EQ(lines.at(2), Sending(61));
    EXPECT_EQ(PublishedCount(13, 0), 1);
    for (const orvsim::TraceEntry& notify : orvsim::TraceOf("ORVPublisherSubscriber", "Notify")) {
        EXPECT_EQ(notify.arguments, (std::vector<std::string>{"13", "0", "", ""}));
    }

    // The control's report of the same change comes too soon after it.
    lines = ReportControl(1000, 1061);
    EXPECT_EQ(lines.at(0),
              Line(scope::kControl,
                   L"Windows OS Timechange event received. old secs=1000 new secs=1061"));
    EXPECT_EQ(lines.at(1), NotSending(61, 0));

    winsim::clock::Advance(2s);
    EXPECT_EQ(ReportDelta(90000ms).at(2), NotSending(90, 2));
    winsim::clock::Advance(1s);
    EXPECT_EQ(ReportDelta(90000ms).at(2), Sending(90));
    EXPECT_EQ(PublishedCount(13, 0), 2);

    // Exactly 60 s either way is not enough; the difference is taken in its low 32 bits.
    winsim::clock::Advance(3s);
    EXPECT_EQ(ReportControl(1000, 1060).at(1), NotSending(60, 3));
    EXPECT_EQ(ReportControl(1060, 1000).at(1), NotSending(60, 3));
    lines = ReportControl(1000, 1000 + (int64_t{1} << 32) + 30);
    EXPECT_EQ(lines.at(0), Line(scope::kControl,
                                L"Windows OS Timechange event received. old secs=1000 new secs=" +
                                    std::to_wstring(1000 + (int64_t{1} << 32) + 30)));
    EXPECT_EQ(lines.at(1), NotSending(30, 3));
    EXPECT_EQ(PublishedCount(13, 0), 2);
}

TEST_F(TimeChangeTest, TimeDeltaIsReadFromTheFirstItemInEitherQuoting) {
    std::vector<std::wstring> lines =
        Report(EventWithData(L"<Data Name='TimeDeltaInMs'>75000</Data>"));
    EXPECT_EQ(lines.at(1), Delta(75000));
    EXPECT_EQ(lines.at(2), Sending(75));

    winsim::clock::Advance(3s);
    lines =
        Report(EventWithData(L"<Data Name=\"NewTime\">x</Data>"
                             L"<Data Name=\"TimeDeltaInMs\">-62000</Data>"
                             L"<Data Name=\"TimeDeltaInMs\">999000</Data>"));
    EXPECT_EQ(lines.at(1), Delta(62000));
    EXPECT_EQ(lines.at(2), Sending(62));
    EXPECT_EQ(PublishedCount(13, 0), 2);
}

TEST_F(TimeChangeTest, EventsWithoutAUsableDeltaAreDroppedAndTheCallbackLivesOn) {
    winsim::clock::Advance(3s);
    // A value beyond 64 bits, no item at all, and an event that cannot be rendered.
    const std::wstring beyond64Bits =
        EventWithData(L"<Data Name='TimeDeltaInMs'>123456789012345678901234</Data>");
    std::vector<std::wstring> lines = Report(beyond64Bits);
    EXPECT_EQ(lines.back(), NotSending(0, WallSeconds()));
    EXPECT_NE(std::find(lines.begin(), lines.end(), Delta(0)), lines.end());

    lines = Report(EventWithData(L"<Data Name='Reason'>2</Data>"));
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_EQ(lines[1], Delta(0));

    winsim::failures::FailNext(winsim::failures::Call::EvtRender, 2, ERROR_ACCESS_DENIED);
    lines = Report(EventWithData(L"<Data Name='TimeDeltaInMs'>90000</Data>"));
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(lines[1], Line(scope::kTimeDelta, L"Error while rendering xml 5"));
    EXPECT_EQ(lines[2], Delta(0));

    // A subscription error: only the receipt line, with the error code.
    const std::uint64_t mark = LogMark();
    winsim::eventlog::PublishError(winsim::eventlog::kSystemChannel, kSubscriptionError);
    winsim::eventlog::WaitUntilDelivered();
    EXPECT_EQ(MessagesSince(mark),
              std::vector<std::wstring>{
                  Line(scope::kEventLogCallback,
                       L"Callback received " + std::to_wstring(kSubscriptionError))});

    // Still listening.
    EXPECT_EQ(ReportDelta(90000ms).at(2), Sending(90));
    for (const orvsim::LogRecord& record : orvsim::LogRecords()) {
        EXPECT_NE(record.level, ORV::Log::kError) << record.message;
    }
}

TEST_F(TimeChangeTest, EventsOfAnySizeAreReadWithTheSamePattern) {
    // Far more than a thread's stack could take one frame per character.
    constexpr std::size_t kHuge = 200000;
    winsim::clock::Advance(3s);
    std::vector<std::wstring> lines = Report(
        EventWithData(L"<Data Name='TimeDeltaInMs'>" + std::wstring(kHuge, L'9') + L"</Data>"));
    EXPECT_EQ(lines.back(), NotSending(0, WallSeconds()));
    EXPECT_NE(std::find(lines.begin(), lines.end(), Delta(0)), lines.end());

    // Leading zeros still fit; items that do not close are passed over for the next one.
    lines = Report(EventWithData(L"<Data Name='TimeDeltaInMs'>" + std::wstring(kHuge, L'0') +
                                 L"75000</Data>"));
    EXPECT_EQ(lines.at(1), Delta(75000));
    EXPECT_EQ(lines.at(2), Sending(75));
    winsim::clock::Advance(3s);
    std::wstring unclosed;
    for (int i = 0; i < 5000; ++i) {
        unclosed += L"<Data Name=\"TimeDeltaInMs\">-1<Data Name='TimeDeltaInMs'>";
    }
    lines = Report(EventWithData(unclosed + L"<Data Name='TimeDeltaInMs'>-80000</Data>"));
    EXPECT_EQ(lines.at(1), Delta(80000));
    EXPECT_EQ(lines.at(2), Sending(80));

    // The event log finds the event's id behind any amount of blank space.
    winsim::clock::Advance(3s);
    std::wstring spaced = EventWithData(L"<Data Name='TimeDeltaInMs'>91000</Data>");
    spaced.replace(spaced.find(L"<EventID>1"), 10, L"<EventID>" + std::wstring(kHuge, L' ') + L"1");
    lines = Report(spaced);
    EXPECT_EQ(lines.at(2), Sending(91));
    EXPECT_EQ(PublishedCount(13, 0), 3);
}

TEST_F(TimeChangeTest, OneClockChangeReportedTwiceIsPublishedOnce) {
    winsim::clock::Advance(3s);
    const std::uint64_t mark = LogMark();
    Host().ChangeClock(90s);
    ASSERT_TRUE(WaitUntil([mark] {
        int reports = 0;
        for (const std::wstring& line : ReportLines(mark)) {
            reports += line.starts_with(scope::kSendTimeChange) ? 1 : 0;
        }
        return reports == 2;
    }));
    const std::vector<std::wstring> lines = MessagesSince(mark);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), Sending(90)), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), NotSending(90, 0)), 1);
    EXPECT_EQ(PublishedCount(13, 0), 1);
}

}  // namespace
}  // namespace orvtest
