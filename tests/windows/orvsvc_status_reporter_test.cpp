// The host's status reports: one legal order, rising checkpoints. A failed start and the
// handover to the library are checked through the host (ServiceHostTest).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "orvsvc/status_reporter.h"

namespace orvsvc {
namespace {

// SERVICE_STATUS_HANDLE is opaque; any non-null value will do for the recorder.
const auto kHandle = reinterpret_cast<SERVICE_STATUS_HANDLE>(static_cast<std::uintptr_t>(0x10));

class StatusReporterTest : public ::testing::Test {
  protected:
    StatusReporterTest()
        : reporter_([this](SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS& status) {
              EXPECT_EQ(handle, kHandle);
              const std::lock_guard lock(mutex_);
              reports_.push_back(status);
              return true;
          }) {
        reporter_.Attach(kHandle);
    }

    std::mutex mutex_;
    std::vector<SERVICE_STATUS> reports_;  // read once the reporting threads have ended
    StatusReporter reporter_;
};

TEST_F(StatusReporterTest, ReportsALifeInOrderWithRisingCheckpointsAndRefusesStepsBack) {
    EXPECT_TRUE(reporter_.StartPending(5000));
    EXPECT_TRUE(reporter_.Tick());
    EXPECT_TRUE(reporter_.Running(SERVICE_ACCEPT_STOP));
    EXPECT_FALSE(reporter_.Tick()) << "a tick outside a pending state";
    EXPECT_FALSE(reporter_.Running(SERVICE_ACCEPT_STOP)) << "RUNNING twice";
    EXPECT_FALSE(reporter_.StartPending(1000)) << "back to START_PENDING";
    EXPECT_TRUE(reporter_.StopPending(7000));
    EXPECT_TRUE(reporter_.Tick());
    EXPECT_TRUE(reporter_.Stopped(NO_ERROR));
    EXPECT_FALSE(reporter_.StopPending(1000)) << "after STOPPED";
    EXPECT_FALSE(reporter_.Stopped(NO_ERROR)) << "STOPPED twice";
    EXPECT_EQ(reporter_.State(), static_cast<DWORD>(SERVICE_STOPPED));

    const std::vector<SERVICE_STATUS> reports = reports_;
    const std::vector<std::pair<DWORD, DWORD>> expected = {
        {SERVICE_START_PENDING, 1}, {SERVICE_START_PENDING, 2}, {SERVICE_RUNNING, 0},
        {SERVICE_STOP_PENDING, 1},  {SERVICE_STOP_PENDING, 2},  {SERVICE_STOPPED, 0}};
    ASSERT_EQ(reports.size(), expected.size());
    for (std::size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].dwCurrentState, expected[i].first) << "report " << i;
        EXPECT_EQ(reports[i].dwCheckPoint, expected[i].second) << "report " << i;
        EXPECT_EQ(reports[i].dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    }
    EXPECT_EQ(reports[1].dwWaitHint, 5000u) << "a tick keeps the pending state's hint";
    EXPECT_EQ(reports[0].dwControlsAccepted, 0u) << "no controls while starting";
    EXPECT_EQ(reports[2].dwControlsAccepted, static_cast<DWORD>(SERVICE_ACCEPT_STOP));
    EXPECT_EQ(reports[4].dwControlsAccepted, 0u) << "no controls while stopping";
}

// The ticker and the control handler report while ServiceMain's thread changes the state.
TEST_F(StatusReporterTest, ConcurrentReportsStayInALegalOrder) {
    reporter_.StartPending(1000);
    std::vector<std::thread> tickers;
    for (int i = 0; i < 4; ++i) {
        tickers.emplace_back([this] {
            for (int tick = 0; tick < 200; ++tick) {
                reporter_.Tick();
            }
        });
    }
    reporter_.Running(SERVICE_ACCEPT_STOP);
    reporter_.StopPending(1000);
    for (std::thread& ticker : tickers) {
        ticker.join();
    }
    reporter_.Stopped(NO_ERROR);

    constexpr std::array<DWORD, 4> kOrder = {SERVICE_START_PENDING, SERVICE_RUNNING,
                                             SERVICE_STOP_PENDING, SERVICE_STOPPED};
    const auto rank = [&](DWORD state) { return std::find(kOrder.begin(), kOrder.end(), state); };
    const std::vector<SERVICE_STATUS> reports = reports_;
    for (std::size_t i = 1; i < reports.size(); ++i) {
        const SERVICE_STATUS& before = reports[i - 1];
        const SERVICE_STATUS& now = reports[i];
        EXPECT_GE(rank(now.dwCurrentState), rank(before.dwCurrentState)) << "report " << i;
        if (now.dwCurrentState == before.dwCurrentState) {
            EXPECT_EQ(now.dwCheckPoint, before.dwCheckPoint + 1) << "report " << i;
        } else {
            EXPECT_EQ(now.dwCheckPoint, now.dwCurrentState == SERVICE_STOP_PENDING ? 1u : 0u)
                << "report " << i;
        }
    }
    EXPECT_EQ(reports.back().dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
}

}  // namespace
}  // namespace orvsvc
