// The host's side of the service's life, driven as the service manager would drive it, with a
// fake library: the calling order the library relies on, and who reports which status.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "orvsvc/one_shot_event.h"
#include "orvsvc/service_host.h"
#include "shared/client_vocabulary.h"

namespace orvsvc {
namespace {

using namespace std::chrono_literals;

const auto kHandle = reinterpret_cast<SERVICE_STATUS_HANDLE>(static_cast<std::uintptr_t>(0x20));

// What the fake library saw and what reached the service manager, in one order.
class Journal {
  public:
    void Add(std::string entry, const SERVICE_STATUS* status = nullptr) {
        const std::lock_guard lock(mutex_);
        entries_.push_back(std::move(entry));
        if (status != nullptr) {
            statuses_.push_back(*status);
        }
    }
    std::vector<std::string> Entries() {
        const std::lock_guard lock(mutex_);
        return entries_;
    }
    std::vector<SERVICE_STATUS> Statuses() {
        const std::lock_guard lock(mutex_);
        return statuses_;
    }
    bool WaitForState(DWORD state) {
        for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(10ms)) {
            const auto statuses = Statuses();
            if (std::any_of(statuses.begin(), statuses.end(),
                            [&](const SERVICE_STATUS& s) { return s.dwCurrentState == state; })) {
                return true;
            }
        }
        return false;
    }

  private:
    std::mutex mutex_;
    std::vector<std::string> entries_;
    std::vector<SERVICE_STATUS> statuses_;
};

class ServiceHostTest : public ::testing::Test {
  protected:
    ServiceHostTest()
        : host_(
              Library(),
              [this](SERVICE_STATUS_HANDLE, const SERVICE_STATUS& status) {
                  journal_.Add("host " + std::to_string(status.dwCurrentState), &status);
                  return true;
              },
              HostTiming{5ms, 1000, 1000}) {}

    ~ServiceHostTest() override {
        // A test that failed half-way leaves the service running: end it.
        startMayReturn_.Set();
        host_.OnControl(SERVICE_CONTROL_STOP, 0, nullptr, nullptr);
        if (runner_.joinable()) {
            runner_.join();
        }
    }

    LibraryEntryPoints Library() {
        return {[this](SERVICE_STATUS_HANDLE handle) {
                    journal_.Add("OnStart");
                    EXPECT_EQ(handle, kHandle);
                    startMayReturn_.Wait();
                    if (startThrows_) {
                        throw std::runtime_error("start failed");
                    }
                },
                [this](DWORD control, DWORD eventType, LPVOID data, LPVOID context) -> DWORD {
                    journal_.Add("control " + std::to_string(control));
                    lastControl_ = {eventType, data, context};
                    if (control == SERVICE_CONTROL_PRESHUTDOWN) {
                        // The library's cleanup ends with its own SERVICE_STOPPED.
                        SERVICE_STATUS stopped{};
                        stopped.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
                        stopped.dwCurrentState = SERVICE_STOPPED;
                        journal_.Add("library 1", &stopped);
                    }
                    return NO_ERROR;
                },
                [this] {
                    journal_.Add("OnStop");
                    std::this_thread::sleep_for(30ms);  // long enough for several ticks
                    journal_.Add("OnStop returned");
                    if (stopThrows_) {
                        throw std::runtime_error("stop failed");
                    }
                }};
    }

    void StartRunning() {
        runner_ = std::thread([this] { host_.Run(kHandle); });
        startMayReturn_.Set();
        ASSERT_TRUE(journal_.WaitForState(SERVICE_RUNNING));
    }

    // Runs the service, ends it with `control` and checks that the library saw its whole life,
    // in order, and that the host reported STOPPED last.
    void EndWith(DWORD control) {
        ASSERT_NO_FATAL_FAILURE(StartRunning());
        EXPECT_EQ(host_.OnControl(control, 0, nullptr, nullptr), NO_ERROR);
        runner_.join();
        ASSERT_FALSE(journal_.Statuses().empty());
        EXPECT_EQ(journal_.Statuses().back().dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
        EXPECT_TRUE(InOrder({"OnStart", "control " + std::to_string(control), "OnStop"}));
    }

    ::testing::AssertionResult InOrder(const std::vector<std::string>& calls) {
        const std::vector<std::string> entries = journal_.Entries();
        auto next = entries.begin();
        for (const std::string& call : calls) {
            next = std::find(next, entries.end(), call);
            if (next == entries.end()) {
                return ::testing::AssertionFailure() << call << " missing or out of order";
            }
        }
        return ::testing::AssertionSuccess();
    }

    Journal journal_;
    OneShotEvent startMayReturn_;
    bool startThrows_ = false;
    bool stopThrows_ = false;
    std::tuple<DWORD, LPVOID, LPVOID> lastControl_;  // event type, data, context
    ServiceHost host_;
    std::thread runner_;
};

std::vector<DWORD> States(const std::vector<SERVICE_STATUS>& statuses) {
    std::vector<DWORD> states;
    for (const SERVICE_STATUS& status : statuses) {
        if (states.empty() || states.back() != status.dwCurrentState) {
            states.push_back(status.dwCurrentState);
        }
    }
    return states;
}

// The states, exit code and accepted controls a stop reports are checked under the real
// service manager (ServiceRunTest); here, the calls into the library, their order, and the
// checkpoints of the pending states while OnStart and OnStop block.
TEST_F(ServiceHostTest, StopLeadsTheLibraryThroughItsLife) {
    runner_ = std::thread([this] { host_.Run(kHandle); });
    ASSERT_TRUE(journal_.WaitForState(SERVICE_START_PENDING));
    EXPECT_EQ(host_.OnControl(orv::control_codes::kMaintenance, 0, nullptr, nullptr),
              static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED))
        << "a control during OnStart";
    EXPECT_EQ(host_.OnControl(SERVICE_CONTROL_INTERROGATE, 0, nullptr, nullptr), NO_ERROR);
    std::this_thread::sleep_for(60ms);
    startMayReturn_.Set();
    ASSERT_TRUE(journal_.WaitForState(SERVICE_RUNNING));

    int data = 0;
    EXPECT_EQ(host_.OnControl(SERVICE_CONTROL_SESSIONCHANGE, 5, &data, this), NO_ERROR);
    EXPECT_EQ(lastControl_, std::make_tuple(DWORD{5}, LPVOID{&data}, LPVOID{this}));
    host_.OnControl(SERVICE_CONTROL_STOP, 0, nullptr, nullptr);  // OnStop takes 30 ms
    runner_.join();
    EXPECT_EQ(host_.OnControl(orv::control_codes::kMaintenanceAlternate, 0, nullptr, nullptr),
              static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED))
        << "a control after OnStop";

    EXPECT_TRUE(InOrder({"OnStart", "control 14", "control 1", "OnStop", "OnStop returned"}));
    const std::vector<std::string> entries = journal_.Entries();
    for (const auto& [entry, times] :
         {std::pair{"control 220", 0}, {"control 221", 0}, {"control 4", 0}, {"control 14", 1}}) {
        EXPECT_EQ(std::count(entries.begin(), entries.end(), entry), times) << entry;
    }
    EXPECT_EQ(States(journal_.Statuses()),
              (std::vector<DWORD>{SERVICE_START_PENDING, SERVICE_RUNNING, SERVICE_STOP_PENDING,
                                  SERVICE_STOPPED}));
    for (const DWORD pending : {SERVICE_START_PENDING, SERVICE_STOP_PENDING}) {
        DWORD highest = 0;
        for (const SERVICE_STATUS& status : journal_.Statuses()) {
            if (status.dwCurrentState == pending) {
                EXPECT_EQ(status.dwCheckPoint, highest + 1) << pending;
                highest = status.dwCheckPoint;
            }
        }
        EXPECT_GE(highest, 3u) << pending;
    }
}

TEST_F(ServiceHostTest, ShutdownStopsAsStopDoes) {
    ASSERT_NO_FATAL_FAILURE(EndWith(SERVICE_CONTROL_SHUTDOWN));
}

TEST_F(ServiceHostTest, PreShutdownLeavesTheFinalReportToTheLibrary) {
    ASSERT_NO_FATAL_FAILURE(StartRunning());
    EXPECT_EQ(host_.OnControl(SERVICE_CONTROL_PRESHUTDOWN, 0, nullptr, nullptr), NO_ERROR);
    runner_.join();

    const std::vector<std::string> entries = journal_.Entries();
    EXPECT_EQ(States(journal_.Statuses()),
              (std::vector<DWORD>{SERVICE_START_PENDING, SERVICE_RUNNING, SERVICE_STOPPED}));
    const auto libraryStopped = std::find(entries.begin(), entries.end(), "library 1");
    ASSERT_NE(libraryStopped, entries.end());
    EXPECT_EQ(std::find_if(libraryStopped, entries.end(),
                           [](const std::string& entry) { return entry.starts_with("host"); }),
              entries.end())
        << "the host reported after the library's SERVICE_STOPPED";
    EXPECT_NE(std::find(libraryStopped, entries.end(), "OnStop returned"), entries.end())
        << "Run returned before OnStop had";
}

TEST_F(ServiceHostTest, AFailedStartStillStopsTheLibraryAndReportsTheError) {
    startThrows_ = true;
    runner_ = std::thread([this] { host_.Run(kHandle); });
    startMayReturn_.Set();
    runner_.join();
    const std::vector<SERVICE_STATUS> statuses = journal_.Statuses();
    EXPECT_EQ(States(statuses),
              (std::vector<DWORD>{SERVICE_START_PENDING, SERVICE_STOP_PENDING, SERVICE_STOPPED}));
    EXPECT_EQ(statuses.back().dwWin32ExitCode, static_cast<DWORD>(ERROR_EXCEPTION_IN_SERVICE));
    EXPECT_TRUE(InOrder({"OnStart", "OnStop"})) << "a failed start still stops the library";
}

TEST_F(ServiceHostTest, AFailedStopIsReportedAsTheExitCode) {
    stopThrows_ = true;
    ASSERT_NO_FATAL_FAILURE(EndWith(SERVICE_CONTROL_STOP));
    EXPECT_EQ(journal_.Statuses().back().dwWin32ExitCode,
              static_cast<DWORD>(ERROR_EXCEPTION_IN_SERVICE));
}

// OnStop must not overlap a control still being passed on.
TEST(ControlGateTest, CloseWaitsForAControlBeingPassedOn) {
    ControlGate gate;
    gate.Open();
    OneShotEvent passing;
    std::atomic<bool> passed{false};
    std::thread handler([&] {
        gate.IfOpen([&] {
            passing.Set();
            std::this_thread::sleep_for(50ms);
            passed = true;
        });
    });
    passing.Wait();
    gate.Close();
    EXPECT_TRUE(passed) << "Close returned while a control was being passed on";
    handler.join();
    EXPECT_FALSE(gate.IfOpen([] {}));
}

}  // namespace
}  // namespace orvsvc
