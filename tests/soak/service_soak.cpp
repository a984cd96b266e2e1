// Soak: the service started and stopped many times in one process, as a host that restarts
// the service without unloading the library does. After each cycle the program reads the
// process's resident memory and thread count. It fails when a cycle leaves a thread behind, or
// when resident memory grows once the first cycles have set up what lives as long as the
// process (the log, the singletons of the stand-ins, the allocator's pools).
//
// The machine's clock runs fast, so the mandated waits (2000 ms in OnStop) cost little.

#include <malloc.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/machine/machine_setup.h"
#include "host/machine/service_host.h"
#include "sim/client/client_control.h"
#include "sim/common_base/common_base_control.h"
#include "sim/common_base/operational_events_control.h"
#include "winapi/control/machine_control.h"

namespace {

using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kRealTimeout = 60s;

struct Figures {
    long rssKb = 0;
    long heapKb = 0;  // allocated and not yet freed: a leak grows it, fragmentation does not
    int threads = 0;
};

long HeapInUseKb() {
    return static_cast<long>(mallinfo2().uordblks / 1024);
}

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int Threads() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Threads:", 0) == 0) {
            return std::stoi(line.substr(8));
        }
    }
    return -1;
}

// Threads of a closed pool end shortly after the stop returns; give them a moment to go
// before counting, without waiting for ever on one that never does.
Figures Measure(int expectedThreads) {
    const auto deadline = std::chrono::steady_clock::now() + 1s;
    while (Threads() > expectedThreads && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(2ms);
    }
    return Figures{ResidentKb(), HeapInUseKb(), Threads()};
}

// One start, up to the agents' full initialisation, and one stop. False, with a message, when
// the service did not get there.
bool RunCycle(int cycle) {
    orvhost::ServiceHost host(winsim::services::StatusHandle(orvhost::kServiceName));
    host.Start();
    if (!host.WaitForFullInit(kRealTimeout)) {
        std::fprintf(stderr, "cycle %d: the agents never fully initialised\n", cycle);
        return false;
    }
    const orvhost::StopResult stopped = host.Stop(kRealTimeout);
    if (stopped.refused || stopped.escaped) {
        std::fprintf(stderr, "cycle %d: the stop failed: %s\n", cycle,
                     stopped.refused ? stopped.refused->c_str() : stopped.escaped->c_str());
        return false;
    }
    if (!orvsim::HasLogMessage(L"OrvClientService::OnStop: Service stopped")) {
        std::fprintf(stderr, "cycle %d: the service did not log its stop\n", cycle);
        return false;
    }
    // What the simulated machine and the stand-ins record for tests grows with every cycle
    // by design; it is not the service's memory.
    orvsim::ClearLogRecords();
    orvsim::ClearTrace();
    orvsim::ClearPublications();
    orvsim::ClearOperationalEvents();
    winsim::services::ClearStatusReports();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int cycles = 1000;
    int warmUp = 20;
    double clockScale = 200;
    long maxGrowthKb = 2048;
    long maxHeapGrowthKb = 64;
    int reportEvery = 100;
    CLI::App app{
        "Starts and stops the service many times in one process and fails when its "
        "resident memory or thread count grows after the warm-up."};
    app.add_option("--cycles", cycles, "start/stop cycles")->check(CLI::Range(2, 100000));
    app.add_option("--warm-up", warmUp, "cycles before the figures are the reference")
        ->check(CLI::Range(1, 100000));
    app.add_option("--clock-scale", clockScale, "how fast the machine's clock runs")
        ->check(CLI::Range(1.0, 1000.0));
    app.add_option("--max-rss-growth-kb", maxGrowthKb,
                   "resident memory the cycles after the warm-up may add")
        ->check(CLI::Range(0L, 1L << 30));
    app.add_option("--max-heap-growth-kb", maxHeapGrowthKb,
                   "heap in use the cycles after the warm-up may add")
        ->check(CLI::Range(0L, 1L << 30));
    app.add_option("--report-every", reportEvery, "print the figures every N cycles")
        ->check(CLI::Range(1, 100000));
    CLI11_PARSE(app, argc, argv);
    if (warmUp >= cycles) {
        std::fprintf(stderr, "--warm-up must be less than --cycles\n");
        return 2;
    }

    orvhost::ArrangeDefaultMachine({clockScale});
    const Figures before{ResidentKb(), HeapInUseKb(), Threads()};
    std::printf(
        "soak: %d cycles, clock scale %g; before the first start: %ld kB resident, %d "
        "threads\n",
        cycles, clockScale, before.rssKb, before.threads);

    const auto began = std::chrono::steady_clock::now();
    Figures reference;
    Figures last;
    int mostThreads = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        if (!RunCycle(cycle)) {
            return 1;
        }
        last = Measure(before.threads);
        mostThreads = std::max(mostThreads, last.threads);
        if (cycle == warmUp) {
            reference = last;
        }
        if (cycle == 1 || cycle == warmUp || cycle % reportEvery == 0 || cycle == cycles) {
            std::printf("soak: cycle %4d: %6ld kB resident, %6ld kB heap in use, %3d threads\n",
                        cycle, last.rssKb, last.heapKb, last.threads);
            std::fflush(stdout);
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

    const long growth = last.rssKb - reference.rssKb;
    std::printf("soak: %d cycles in %.1f s (%.0f ms each)\n", cycles, seconds,
                1000.0 * seconds / cycles);
    std::printf(
        "soak: resident memory %ld kB after cycle %d, %ld kB after cycle %d: %+ld kB "
        "(limit %ld kB)\n",
        reference.rssKb, warmUp, last.rssKb, cycles, growth, maxGrowthKb);
    std::printf(
        "soak: heap in use %ld kB after cycle %d, %ld kB after cycle %d: %+ld kB (limit %ld kB)\n",
        reference.heapKb, warmUp, last.heapKb, cycles, last.heapKb - reference.heapKb,
        maxHeapGrowthKb);
    std::printf(
        "soak: threads %d before the first start, at most %d after a cycle, %d at the "
        "end\n",
        before.threads, mostThreads, last.threads);

    bool failed = false;
    if (growth > maxGrowthKb) {
        std::printf("soak: FAILED: resident memory grew by %ld kB after the warm-up\n", growth);
        failed = true;
    }
    if (last.heapKb - reference.heapKb > maxHeapGrowthKb) {
        std::printf("soak: FAILED: heap in use grew by %ld kB after the warm-up\n",
                    last.heapKb - reference.heapKb);
        failed = true;
    }
    if (mostThreads > before.threads) {
        std::printf("soak: FAILED: threads did not come back to %d after every cycle\n",
                    before.threads);
        failed = true;
    }
    std::printf("soak: %s\n", failed ? "FAILED" : "passed");
    return failed ? 1 : 0;
}
