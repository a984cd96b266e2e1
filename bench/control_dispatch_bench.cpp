// The service's control path, through its entry points, on the simulated machine: how long
// OnServiceControlHandle keeps the caller (the Service Control Manager waits on it) and how
// many controls a fully initialised service gets through.
//
// The library takes its agents down once per process, so one service runs for the whole
// executable: started before the first benchmark, stopped after the last. Every benchmark
// leaves no control in flight behind it, so the next one counts from a settled state.

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>

#include "host/machine/machine_setup.h"
#include "host/machine/service_host.h"
#include "service/entry_points.h"
#include "sim/common_base/log_control.h"
#include "sim/trace.h"
#include "winapi/control/machine_control.h"
#include "winapi/windows_api.h"

namespace {

using namespace std::chrono_literals;

// Only reached when the service has stopped handling controls.
constexpr auto kEventually = 30s;
// OnStop's 2000 ms grace and start-up's waits take a fiftieth of that in real time.
constexpr double kClockScale = 50.0;
constexpr DWORD kMaintenance = 220;

// Counts controls as they reach the event manager: the last step of handling any control
// once the service is fully initialised.
class HandledControls {
  public:
    HandledControls() {
        orvsim::SetTraceObserver([this](const orvsim::TraceEntry& entry) {
            if (entry.component == "EventManager" && entry.operation == "OnServiceControl") {
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    ++count_;
                }
                reached_.notify_all();
            }
        });
    }
    ~HandledControls() { orvsim::SetTraceObserver({}); }
    HandledControls(const HandledControls&) = delete;
    HandledControls& operator=(const HandledControls&) = delete;

    std::uint64_t Count() {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }

    // False when fewer than `count` have been handled after kEventually.
    bool WaitFor(std::uint64_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return reached_.wait_for(lock, kEventually, [&] { return count_ >= count; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable reached_;
    std::uint64_t count_ = 0;  // guarded by mutex_; written on the pool's threads
};

HandledControls* g_handled = nullptr;  // set by main for the benchmarks' run

void CheckAllHandled(benchmark::State& state, std::uint64_t expected) {
    if (!g_handled->WaitFor(expected)) {
        state.SkipWithError("controls were delivered but not handled");
    }
}

// (a) What the caller waits for: the control is queued on the pool and the call returns.
// The pool handles the controls meanwhile, as it would under a burst from the SCM.
void BM_ControlReturn(benchmark::State& state, DWORD control, DWORD eventType) {
    const std::uint64_t before = g_handled->Count();
    for (auto _ : state) {
        benchmark::DoNotOptimize(OnServiceControlHandle(control, eventType, nullptr, nullptr));
    }
    CheckAllHandled(state, before + static_cast<std::uint64_t>(state.iterations()));
}
BENCHMARK_CAPTURE(BM_ControlReturn, power_suspend, SERVICE_CONTROL_POWEREVENT, PBT_APMSUSPEND)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ControlReturn, maintenance, kMaintenance, 0)->UseRealTime();

// (b) Controls delivered in bursts of range(0), each burst waited for until all are handled.
void BM_ControlBurstHandled(benchmark::State& state, DWORD control, DWORD eventType) {
    const auto burst = static_cast<std::uint64_t>(state.range(0));
    std::uint64_t expected = g_handled->Count();
    for (auto _ : state) {
        for (std::uint64_t i = 0; i < burst; ++i) {
            OnServiceControlHandle(control, eventType, nullptr, nullptr);
        }
        expected += burst;
        if (!g_handled->WaitFor(expected)) {
            state.SkipWithError("controls were delivered but not handled");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK_CAPTURE(BM_ControlBurstHandled, power_suspend, SERVICE_CONTROL_POWEREVENT, PBT_APMSUSPEND)
    ->Arg(1)
    ->Arg(64)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ControlBurstHandled, maintenance, kMaintenance, 0)
    ->Arg(1)
    ->Arg(64)
    ->UseRealTime();

// The service on a freshly arranged machine, fully initialised for as long as this lives.
class RunningService {
  public:
    RunningService() {
        orvhost::ArrangeDefaultMachine({kClockScale});
        // The service's log file goes to a directory of this run's own, removed at the end.
        std::error_code ignored;
        logDirectory_ = std::filesystem::temp_directory_path(ignored) /
                        ("orv_bench_" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(logDirectory_, ignored);
        orvsim::SetLogDirectory(logDirectory_);
        host_ = std::make_unique<orvhost::ServiceHost>(
            winsim::services::StatusHandle(orvhost::kServiceName));
        host_->Start();
        ready_ = host_->WaitForFullInit(kEventually);
    }
    ~RunningService() {
        host_->Stop(std::chrono::seconds(60));
        std::error_code ignored;
        std::filesystem::remove_all(logDirectory_, ignored);
    }
    RunningService(const RunningService&) = delete;
    RunningService& operator=(const RunningService&) = delete;

    bool ready() const { return ready_; }

  private:
    std::filesystem::path logDirectory_;
    std::unique_ptr<orvhost::ServiceHost> host_;
    bool ready_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    int status = 0;
    {
        HandledControls handled;
        g_handled = &handled;
        RunningService service;
        if (service.ready()) {
            benchmark::RunSpecifiedBenchmarks();
        } else {
            std::fputs("the service never became fully initialised\n", stderr);
            status = 1;
        }
        // The service stops here, before the counter its controls report to goes.
    }
    g_handled = nullptr;
    benchmark::Shutdown();
    return status;
}
