#include "host/cli.h"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/default_scenario.h"
#include "host/report/report_writer.h"
#include "host/report/run_summary.h"
#include "host/report/timeline_writer.h"
#include "host/run/scenario_runner.h"
#include "host/scenario/scenario_parser.h"

namespace orvhost {

namespace {

constexpr int kCannotRun = 2;

struct RunCommand {
    std::string file;
    std::string report;
    std::string timeline;
    std::filesystem::path logDirectory = ".";
    std::optional<double> clockScale;
    bool quiet = false;
};

void PrintErrors(const std::vector<std::string>& errors) {
    for (const std::string& error : errors) {
        fmt::print(stderr, "{}\n", error);
    }
}

// Writes the summary, the report and the timeline; false when an output file failed.
bool Finish(const RunCommand& command, const RunResult& result) {
    fmt::print("{}", FormatRunSummary(result));
    std::fflush(stdout);
    bool written = true;
    if (!command.report.empty()) {
        written = WriteJsonFile(command.report, ReportJson(result)) && written;
    }
    if (!command.timeline.empty()) {
        written = WriteJsonFile(command.timeline, TimelineJson(result)) && written;
    }
    return written;
}

int Run(const RunCommand& command) {
    LoadResult loaded = command.file.empty()
                            ? LoadScenarioText(DefaultScenarioText(), kDefaultScenarioSource)
                            : LoadScenarioFile(command.file);
    if (!loaded.scenario) {
        PrintErrors(loaded.errors);
        fmt::print(stderr, "orvhost: nothing was run\n");
        if (!command.report.empty()) {
            WriteJsonFile(
                command.report,
                InvalidScenarioReport(command.file.empty() ? kDefaultScenarioSource : command.file,
                                      loaded.errors));
        }
        return kCannotRun;
    }
    RunOptions options;
    options.clockScale = command.clockScale;
    options.logDirectory = command.logDirectory;
    options.streamLog = !command.quiet;
    const RunResult result = RunScenario(
        *loaded.scenario, options, [&](const RunResult& partial) { Finish(command, partial); });
    if (result.error) {
        fmt::print(stderr, "orvhost: {}\n", *result.error);
    }
    const bool written = Finish(command, result);
    return written ? result.ExitCode() : kCannotRun;
}

int Check(const std::vector<std::string>& files) {
    int status = 0;
    for (const std::string& file : files) {
        const LoadResult loaded = LoadScenarioFile(file);
        if (loaded.scenario) {
            fmt::print("{}: ok ({} steps, {} expectations)\n", file,
                       loaded.scenario->timeline.size(), loaded.scenario->expectations.size());
        } else {
            PrintErrors(loaded.errors);
            status = kCannotRun;
        }
    }
    return status;
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
    CLI::App app{
        "orvhost: runs the ORV service library on a simulated Windows machine, through "
        "scenarios that arrange the machine, play a timeline of events and check what the "
        "service did"};
    app.require_subcommand(1);

    RunCommand run;
    CLI::App* runCommand = app.add_subcommand(
        "run",
        "Run a scenario file (without one, the embedded default scenario: start, logon, "
        "maintenance, resume, policy change, clock change, stop)");
    runCommand->add_option("FILE", run.file, "The scenario file (JSON); see docs/scenarios.md")
        ->check(CLI::ExistingFile);
    runCommand->add_option("--report", run.report, "Write the outcome as JSON to this file");
    runCommand->add_option(
        "--timeline", run.timeline,
        "Write a Chrome trace-event timeline (Perfetto, chrome://tracing) to this file");
    runCommand
        ->add_option("--log-dir", run.logDirectory,
                     "Directory for OrvService.log (default: the current directory)")
        ->check(CLI::ExistingDirectory);
    runCommand
        ->add_option("--clock-scale", run.clockScale,
                     "Run the machine's clock this many times as fast as real time "
                     "(overrides the scenario's machine.clockScale)")
        ->check(CLI::Range(0.01, 1000.0));
    runCommand->add_flag("-q,--quiet", run.quiet, "Do not stream the service log");

    std::vector<std::string> checkFiles;
    CLI::App* checkCommand =
        app.add_subcommand("check", "Validate scenario files without running them");
    checkCommand->add_option("FILE", checkFiles, "Scenario files (JSON)")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : kCannotRun;
    }
    if (*runCommand) {
        return Run(run);
    }
    return Check(checkFiles);
}

}  // namespace orvhost
