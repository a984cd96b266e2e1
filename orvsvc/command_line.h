#pragma once
// orvsvc's command line (CLI11):
//   orvsvc                                   run as the service (the service manager does this)
//   orvsvc install | uninstall               register ORVService, or remove it
//   orvsvc console [--stop-after SECONDS]    run the service in this console
// Each takes --help. Help goes to `out` (exit status 0); a bad command line gets the error and a
// usage line on `err` (exit status 2).

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace orvsvc {

enum class Verb { kService, kInstall, kUninstall, kConsole };

struct Command {
    Verb verb = Verb::kService;
    std::optional<std::chrono::seconds> stopAfter;  // console only
};

struct ParsedCommandLine {
    std::optional<Command> command;  // none: nothing to run, exit with `exitStatus`
    int exitStatus = 0;
};

// `args` are UTF-8, the program's name first.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args, std::ostream& out,
                                   std::ostream& err);

}  // namespace orvsvc
