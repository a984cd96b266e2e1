// What one debug line costs the service: formatting a wide-string argument and keeping the
// line in memory (no log file is opened, as before the service's InitLog).

#include <benchmark/benchmark.h>

#include <string>

#include "platform/common_base/log.h"
#include "sim/common_base/log_control.h"

namespace {

void BM_DebugLineWithWideString(benchmark::State& state) {
    orvsim::ClearLogRecords();
    const std::wstring agent = L"ConfigPolicyAgent";
    for (auto _ : state) {
        ORV::g_log.d(L"%s: UnInit called for %s", L"OrvClientService::UnInit", agent);
    }
    // A line that failed to format is kept with its raw format: check the last one rendered.
    if (!orvsim::HasLogMessage(L"OrvClientService::UnInit: UnInit called for ConfigPolicyAgent")) {
        state.SkipWithError("the line was not kept as formatted");
    }
    orvsim::ClearLogRecords();  // the next run starts from an empty store again
}
BENCHMARK(BM_DebugLineWithWideString);

// The same call below the log's level: what a filtered-out line costs. An empty file name
// sets the level and opens no file.
void BM_DebugLineFilteredOut(benchmark::State& state) {
    orvsim::ClearLogRecords();
    ORV::utility::InitLog(ORV::g_log, L"", ORV::Log::kError);
    const std::wstring agent = L"ConfigPolicyAgent";
    for (auto _ : state) {
        ORV::g_log.d(L"%s: UnInit called for %s", L"OrvClientService::UnInit", agent);
    }
    ORV::utility::InitLog(ORV::g_log, L"", ORV::Log::kDebug);
    if (!orvsim::LogRecords().empty()) {
        state.SkipWithError("a line below the level was kept");
    }
}
BENCHMARK(BM_DebugLineFilteredOut);

}  // namespace

BENCHMARK_MAIN();
