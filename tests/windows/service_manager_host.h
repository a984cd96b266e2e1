#pragma once
// Running orvsvc.exe, the service host, as a program: its verbs and its console mode.

#include <chrono>
#include <filesystem>
#include <string>

namespace scm_suite {

// The host is built into the same folder as this test program.
std::filesystem::path HostFolder();
std::filesystem::path HostPath();

struct HostRun {
    bool started = false;   // false: CreateProcessW failed, `output` says why
    bool finished = false;  // false: still running at the time-out, then terminated
    unsigned long exitCode = 0;
    std::string output;  // stdout and stderr together
    std::chrono::milliseconds elapsed{0};

    // For failure messages: how the run ended and what it printed.
    std::string Describe() const;
};

// Runs `orvsvc.exe <arguments>` with stdout and stderr on one pipe and waits at most
// `timeout`. An empty `workingDirectory` keeps this program's own.
HostRun RunHost(const std::wstring& arguments, const std::filesystem::path& workingDirectory = {},
                std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace scm_suite
