#include "orvsvc/command_line.h"

#include <CLI/CLI.hpp>

#include "orvsvc/exit_codes.h"

namespace orvsvc {

namespace {

constexpr char kUsage[] =
    "usage: orvsvc [install | uninstall | console [--stop-after SECONDS]]  (--help for more)";

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args, std::ostream& out,
                                   std::ostream& err) {
    CLI::App app{
        "orvsvc: the Windows service host of ORVService. Without a command it runs as the "
        "service, started by the service control manager.",
        "orvsvc"};
    app.require_subcommand(0, 1);
    CLI::App* install = app.add_subcommand(
        "install", "Register ORVService for automatic start, run by this executable");
    CLI::App* uninstall =
        app.add_subcommand("uninstall", "Stop ORVService if it runs, and remove it");
    CLI::App* console = app.add_subcommand(
        "console",
        "Run the service in this console, without the service manager, until Ctrl+C; "
        "OrvService.log's new lines are copied here");
    unsigned stopAfterSeconds = 0;
    CLI::Option* stopAfter =
        console->add_option("--stop-after", stopAfterSeconds,
                            "Stop by itself after this many seconds, as Ctrl+C would");

    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp& help) {
        return {std::nullopt, app.exit(help, out, err)};
    } catch (const CLI::ParseError& error) {
        err << "orvsvc: " << error.what() << "\n" << kUsage << "\n";
        return {std::nullopt, kExitUsage};
    }

    Command command;
    if (*install) {
        command.verb = Verb::kInstall;
    } else if (*uninstall) {
        command.verb = Verb::kUninstall;
    } else if (*console) {
        command.verb = Verb::kConsole;
        if (*stopAfter) {
            command.stopAfter = std::chrono::seconds(stopAfterSeconds);
        }
    }
    return {command, kExitOk};
}

}  // namespace orvsvc
