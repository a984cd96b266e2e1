// orvsvc: the Windows service host of ORVService. Loads the service library (orvservice.dll)
// and calls its entry points as the service manager's controls come; also installs and removes
// the service and runs it in a console.

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "orvsvc/command_line.h"
#include "orvsvc/console_output.h"
#include "orvsvc/console_run.h"
#include "orvsvc/exit_codes.h"
#include "orvsvc/installer.h"
#include "orvsvc/service_main.h"
#include "orvsvc/text_encoding.h"

namespace {

int Run(const orvsvc::Command& command) {
    switch (command.verb) {
        case orvsvc::Verb::kInstall:
            return orvsvc::InstallService();
        case orvsvc::Verb::kUninstall:
            return orvsvc::UninstallService();
        case orvsvc::Verb::kConsole:
            return orvsvc::RunInConsole({command.stopAfter});
        case orvsvc::Verb::kService:
            break;
    }
    return orvsvc::RunAsService();
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        args.push_back(orvsvc::ToUtf8(argv[i]));
    }
    const orvsvc::ParsedCommandLine parsed = orvsvc::ParseCommandLine(args, std::cout, std::cerr);
    if (!parsed.command) {
        return parsed.exitStatus;
    }
    try {
        return Run(*parsed.command);
    } catch (const std::exception& error) {
        orvsvc::PrintErrorLine(L"orvsvc: " + orvsvc::FromUtf8(error.what()));
        return orvsvc::kExitFailed;
    }
}
