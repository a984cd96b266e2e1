// What the simulated machine charges for the primitives the service leans on: events and
// waits, the thread pool and DWORD registry values.

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>
#include <vector>

#include "winapi/windows_api.h"

namespace {

// Closes a handle at the end of the benchmark run that created it.
class OwnedHandle {
  public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
        }
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

HANDLE AutoResetEvent() {
    return CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

void BM_SetEventThenWait(benchmark::State& state) {
    const OwnedHandle event(AutoResetEvent());
    for (auto _ : state) {
        SetEvent(event.get());
        benchmark::DoNotOptimize(WaitForSingleObject(event.get(), INFINITE));
    }
}
BENCHMARK(BM_SetEventThenWait);

// One round trip: this thread sets `ping` and waits for the partner to answer on `pong`.
void BM_EventPingPong(benchmark::State& state) {
    const OwnedHandle ping(AutoResetEvent());
    const OwnedHandle pong(AutoResetEvent());
    std::atomic<bool> done{false};
    std::thread partner([&] {
        while (WaitForSingleObject(ping.get(), INFINITE) == WAIT_OBJECT_0 && !done) {
            SetEvent(pong.get());
        }
    });
    for (auto _ : state) {
        SetEvent(ping.get());
        WaitForSingleObject(pong.get(), INFINITE);
    }
    done = true;
    SetEvent(ping.get());
    partner.join();
}
BENCHMARK(BM_EventPingPong)->UseRealTime();

// Any-of wait over N manual-reset events of which only the last is signalled: the worst
// position for a scan in handle order.
void BM_WaitForMultipleLastSignalled(benchmark::State& state) {
    const auto count = static_cast<DWORD>(state.range(0));
    std::vector<HANDLE> events;
    for (DWORD i = 0; i < count; ++i) {
        events.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    }
    SetEvent(events.back());
    if (WaitForMultipleObjects(count, events.data(), FALSE, 0) != WAIT_OBJECT_0 + count - 1) {
        state.SkipWithError("the wait did not name the last handle");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(WaitForMultipleObjects(count, events.data(), FALSE, INFINITE));
    }
    for (HANDLE event : events) {
        CloseHandle(event);
    }
}
BENCHMARK(BM_WaitForMultipleLastSignalled)->Arg(2)->Arg(MAXIMUM_WAIT_OBJECTS);

// A private pool of at most one thread, as a run owns it.
class SingleThreadPool {
  public:
    SingleThreadPool() : pool_(CreateThreadpool(nullptr)) {
        SetThreadpoolThreadMaximum(pool_, 1);
        InitializeThreadpoolEnvironment(&environment_);
        SetThreadpoolCallbackPool(&environment_, pool_);
    }
    ~SingleThreadPool() { CloseThreadpool(pool_); }
    SingleThreadPool(const SingleThreadPool&) = delete;
    SingleThreadPool& operator=(const SingleThreadPool&) = delete;

    PTP_CALLBACK_ENVIRON environment() { return &environment_; }

  private:
    PTP_POOL pool_;
    TP_CALLBACK_ENVIRON environment_{};
};

void NTAPI CountRun(PTP_CALLBACK_INSTANCE /*instance*/, PVOID context, PTP_WORK /*work*/) {
    static_cast<std::atomic<long>*>(context)->fetch_add(1, std::memory_order_relaxed);
}

// One work object submitted again and again; the waiter returns once its callback has run.
void BM_ThreadpoolWorkRoundTrip(benchmark::State& state) {
    SingleThreadPool pool;
    std::atomic<long> runs{0};
    PTP_WORK work = CreateThreadpoolWork(&CountRun, &runs, pool.environment());
    for (auto _ : state) {
        SubmitThreadpoolWork(work);
        WaitForThreadpoolWorkCallbacks(work, FALSE);
    }
    CloseThreadpoolWork(work);
    if (runs != static_cast<long>(state.iterations())) {
        state.SkipWithError("a submitted callback did not run");
    }
}
BENCHMARK(BM_ThreadpoolWorkRoundTrip)->UseRealTime();

void NTAPI SignalAndClose(PTP_CALLBACK_INSTANCE /*instance*/, PVOID context, PTP_WORK work) {
    SetEvent(static_cast<HANDLE>(context));
    CloseThreadpoolWork(work);
}

// The control path's shape: a fresh work object per item, closed by its own callback.
void BM_ThreadpoolWorkPerItemRoundTrip(benchmark::State& state) {
    SingleThreadPool pool;
    const OwnedHandle ran(AutoResetEvent());
    for (auto _ : state) {
        PTP_WORK work = CreateThreadpoolWork(&SignalAndClose, ran.get(), pool.environment());
        SubmitThreadpoolWork(work);
        WaitForSingleObject(ran.get(), INFINITE);
    }
}
BENCHMARK(BM_ThreadpoolWorkPerItemRoundTrip)->UseRealTime();

constexpr wchar_t kBenchKey[] = L"SOFTWARE\\OrvBench";
constexpr wchar_t kBenchValue[] = L"Counter";

// A key of its own under HKEY_LOCAL_MACHINE, open for the run.
class BenchKey {
  public:
    BenchKey() {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kBenchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key_, nullptr);
    }
    ~BenchKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    BenchKey(const BenchKey&) = delete;
    BenchKey& operator=(const BenchKey&) = delete;

    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

LSTATUS SetDword(HKEY key, DWORD value) {
    return RegSetValueExW(key, kBenchValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value));
}

void BM_RegSetDword(benchmark::State& state) {
    const BenchKey key;
    DWORD value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SetDword(key.get(), ++value));
    }
}
BENCHMARK(BM_RegSetDword);

void BM_RegGetDword(benchmark::State& state) {
    const BenchKey key;
    const auto get = [] {
        DWORD value = 0;
        DWORD size = sizeof(value);
        RegGetValueW(HKEY_LOCAL_MACHINE, kBenchKey, kBenchValue, RRF_RT_REG_DWORD, nullptr, &value,
                     &size);
        return value;
    };
    if (SetDword(key.get(), 42) != ERROR_SUCCESS || get() != 42) {
        state.SkipWithError("the value does not read back");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(get());
    }
}
BENCHMARK(BM_RegGetDword);

}  // namespace

BENCHMARK_MAIN();
