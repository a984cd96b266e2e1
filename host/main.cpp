// orvhost: runs the service library on the simulated Windows machine, playing the service
// host and the rest of the machine.

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <cstdio>
#include <filesystem>

#include "host/default_scenario.h"
#include "host/machine_setup.h"
#include "host/run_summary.h"
#include "host/service_host.h"
#include "host/terminal_log.h"
#include "sim/common_base/log_control.h"
#include "winapi/sim/control.h"

namespace {

struct RunOptions {
    std::filesystem::path logDirectory = ".";
    double clockScale = 1.0;
    bool quiet = false;
};

int Run(const RunOptions& options) {
    orvhost::ArrangeDefaultMachine({options.clockScale});
    orvsim::SetLogDirectory(options.logDirectory);
    std::optional<orvhost::TerminalLog> terminal;
    if (!options.quiet) {
        terminal.emplace();
    }

    orvhost::ServiceHost host(winsim::services::StatusHandle(orvhost::kServiceName));
    const orvhost::RunOutcome outcome = orvhost::RunDefaultScenario(
        host, [](const std::string& step) { fmt::print("==> {}\n", step); std::fflush(stdout); });
    terminal.reset();

    fmt::print("{}", orvhost::FormatRunSummary(host, outcome));
    fmt::print("  log file                     {}\n", orvsim::LogFilePath().string());
    return outcome.clean() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"orvhost: runs the ORV service library on a simulated Windows machine"};
    app.require_subcommand(1);

    RunOptions runOptions;
    CLI::App* run = app.add_subcommand(
        "run", "Start the service, run the default scenario (logon, maintenance, resume, policy "
               "change, clock change) and stop it");
    run->add_option("--log-dir", runOptions.logDirectory,
                    "Directory for OrvService.log (default: the current directory)")
        ->check(CLI::ExistingDirectory);
    run->add_option("--clock-scale", runOptions.clockScale,
                    "Run the machine's clock this many times as fast as real time")
        ->check(CLI::Range(0.01, 1000.0));
    run->add_flag("-q,--quiet", runOptions.quiet, "Do not stream the service log");

    CLI11_PARSE(app, argc, argv);
    if (*run) {
        return Run(runOptions);
    }
    return 2;
}
