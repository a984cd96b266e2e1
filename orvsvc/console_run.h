#pragma once
// Running the library in a console, outside the service manager, to watch and debug it: the
// service's life without a status handle.
//
// OnStart(nullptr) on the calling thread (it may block through the out-of-box wait), then a
// wait for Ctrl+C, Ctrl+Break, the console closing or `stopAfter`, then OnStop. A stop asked for
// while OnStart runs comes once it has returned; `stopAfter` counts from the call. The library
// writes OrvService.log in the folder ORV_LOG_DIR names, else in the current directory; while
// the service runs, the lines it adds are copied to stdout. Messages of the console run itself
// go to stderr.

#include <chrono>
#include <optional>

namespace orvsvc {

struct ConsoleOptions {
    std::optional<std::chrono::seconds> stopAfter;
};

// Returns the process exit status: kExitOk, or kExitFailed when an entry point threw.
// Once per process: the console control handler it installs is process-wide.
int RunInConsole(const ConsoleOptions& options);

}  // namespace orvsvc
