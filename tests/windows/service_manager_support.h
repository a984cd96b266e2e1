#pragma once
// What the service-manager suite needs to drive the one service "ORVService" through the
// machine's own service manager: running orvsvc.exe, reading OrvService.log while the service
// writes it, polling the service's states, and removing the service whatever state an earlier
// (perhaps failed) test left it in. Each test installs it; the fixture removes it again.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <vector>

#include "winapi/windows_api.h"

namespace scm_suite {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Owners, so that a check that fails half way still closes what it opened (an open service
// handle keeps a deleted service alive).
struct ServiceHandleCloser {
    void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using ServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceHandleCloser>;
struct KernelHandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};
using KernelHandle = std::unique_ptr<void, KernelHandleCloser>;

inline constexpr wchar_t kServiceName[] = L"ORVService";
// The host's exit code for an install that lacks some of the service's settings.
inline constexpr unsigned long kPartialInstallExitCode = 3;
// How long a start, a stop or a log line may take.
inline constexpr auto kLimit = 60s;

// Log lines (message parts) that mark the stages of a run of the service.
namespace lines {
inline constexpr char kWorkerStart[] = "OrvClientService::OrvWorkerThread: Start";
inline constexpr char kFullInitSignaled[] =
    "OrvClientService::OrvWorkerThread: FullInit event signaled";
inline constexpr char kFullyInitialized[] =
    "OrvClientService::OrvWorkerThread: Waiting on service stop event";
inline constexpr char kStopping[] = "OrvClientService::OnStop: Service is stopping";
inline constexpr char kCleanupExit[] = "OrvClientService::Cleanup: Exit";
inline constexpr char kStopped[] = "OrvClientService::OnStop: Service stopped";
inline constexpr char kStopWaitDone[] = "OnStop Wait timeout completed";
}  // namespace lines

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The service waits, before it brings the client up, until Windows set-up has recorded its
// image state as complete. Windows always has; a Wine prefix never writes the value, so under
// Wine it is written here. Returns an error text, empty on success.
inline std::string EnsureSetupFinished() {
    constexpr wchar_t kKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";
    constexpr wchar_t kComplete[] = L"IMAGE_STATE_COMPLETE";
    wchar_t state[64] = {};
    DWORD size = sizeof state;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, L"ImageState", RRF_RT_REG_SZ, nullptr, state,
                     &size) == ERROR_SUCCESS &&
        std::wstring_view(state) == kComplete) {
        return {};
    }
    if (!UnderWine()) {
        return "this Windows machine has not finished set-up (ImageState is not "
               "IMAGE_STATE_COMPLETE); the service would wait for it";
    }
    const LSTATUS status = RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, L"ImageState", REG_SZ,
                                           kComplete, sizeof kComplete);
    return status == ERROR_SUCCESS ? std::string()
                                   : "writing ImageState into the Wine prefix failed with error " +
                                         std::to_string(status);
}

// ---- orvsvc.exe, run as a program

// The host is built into the same folder as this test program.
inline std::filesystem::path HostPath() {
    std::vector<wchar_t> self(32768);  // the longest path Windows has
    GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    return std::filesystem::path(self.data()).parent_path() / L"orvsvc.exe";
}

struct HostRun {
    bool finished = false;  // false: not started (`output` says why), or terminated at the time-out
    unsigned long exitCode = 0;
    std::string output;  // stdout and stderr together
    milliseconds elapsed{0};

    std::string Describe() const {
        return (finished ? "exit code " + std::to_string(exitCode) : std::string("not finished")) +
               " after " + std::to_string(elapsed.count()) + " ms, output:\n" +
               (output.empty() ? std::string("(none)") : output);
    }
};

// Runs `orvsvc.exe <arguments>` with stdout and stderr on one pipe and waits at most
// `timeout`. An empty `workingDirectory` keeps this program's own.
inline HostRun RunHost(const std::wstring& arguments,
                       const std::filesystem::path& workingDirectory = {},
                       milliseconds timeout = 60s) {
    HostRun run;
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        run.output = "CreatePipe failed, error " + std::to_string(GetLastError());
        return run;
    }
    KernelHandle reader(readEnd);
    KernelHandle writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    KernelHandle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inheritable, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::wstring commandLine = L"\"" + HostPath().wstring() + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    const auto begin = Clock::now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, workingDirectory.empty() ? nullptr : workingDirectory.c_str(),
                        &startup, &process)) {
        run.output = "CreateProcessW failed, error " + std::to_string(GetLastError());
        return run;
    }
    KernelHandle processHandle(process.hProcess);
    KernelHandle threadHandle(process.hThread);
    // Only the child may hold the write end now, so the reader sees the end when it exits.
    writer.reset();
    std::thread drain([&run, pipe = reader.get()] {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got != 0) {
            run.output.append(chunk, got);
        }
    });
    const DWORD waited = WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeout.count()));
    run.elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - begin);
    run.finished = waited == WAIT_OBJECT_0;
    if (run.finished) {
        GetExitCodeProcess(process.hProcess, &run.exitCode);
    } else {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 10000);
    }
    drain.join();
    return run;
}

// ---- Log lines: "time [level] [thread] message"; checks look for parts of the message only

// Text cut into lines, without their line ends; a last line without one is kept.
inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        std::string line = text.substr(begin, end - begin);
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        begin = end + 1;
    }
    return lines;
}

inline std::size_t CountContaining(const std::vector<std::string>& lines, std::string_view part) {
    std::size_t count = 0;
    for (const auto& line : lines) {
        count += line.find(part) != std::string::npos ? 1 : 0;
    }
    return count;
}

// The lines, numbered, for failure messages.
inline std::string Excerpt(const std::vector<std::string>& lines) {
    std::string text = lines.empty() ? "  (no lines)\n" : "";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += "  " + std::to_string(i + 1) + ": " + lines[i] + "\n";
    }
    return text;
}

// Success when each part is found in a line after the line of the part before it.
inline ::testing::AssertionResult ContainsInOrder(const std::vector<std::string>& lines,
                                                  std::initializer_list<std::string_view> parts) {
    std::size_t next = 0;
    for (const std::string_view part : parts) {
        while (next < lines.size() && lines[next].find(part) == std::string::npos) {
            ++next;
        }
        if (next == lines.size()) {
            return ::testing::AssertionFailure()
                   << "no line containing \"" << part << "\" in order; lines:\n"
                   << Excerpt(lines);
        }
        ++next;
    }
    return ::testing::AssertionSuccess();
}

// OrvService.log, appended to run after run: reads see only what was written since the mark.
class ServiceLog {
  public:
    explicit ServiceLog(std::filesystem::path path) : path_(std::move(path)) {}

    void Mark() {
        std::error_code failed;
        const auto size = std::filesystem::file_size(path_, failed);
        mark_ = failed ? 0 : size;
    }

    // The complete lines written since the mark.
    std::vector<std::string> Lines() const {
        // The service keeps the file open for appending, so it is opened sharing everything.
        KernelHandle file(CreateFileW(path_.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER offset{};
        offset.QuadPart = static_cast<LONGLONG>(mark_);
        if (file.get() == INVALID_HANDLE_VALUE ||
            !SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN)) {
            return {};
        }
        std::string text;
        char chunk[16384];
        DWORD got = 0;
        while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got != 0) {
            text.append(chunk, got);
        }
        // A last line without its newline is still being written: it is left for the next read.
        text.resize(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
        return SplitLines(text);
    }

    // Waits until `count` lines since the mark contain `part`.
    ::testing::AssertionResult WaitFor(std::string_view part, milliseconds timeout,
                                       std::size_t count = 1) const {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            const auto lines = Lines();
            const std::size_t seen = CountContaining(lines, part);
            if (seen >= count) {
                return ::testing::AssertionSuccess();
            }
            if (Clock::now() >= deadline) {
                return ::testing::AssertionFailure()
                       << "after " << timeout.count() << " ms, " << seen << " of " << count
                       << " line(s) containing \"" << part << "\" in the new part of "
                       << path_.string() << ":\n"
                       << Excerpt(lines);
            }
            std::this_thread::sleep_for(50ms);
        }
    }

  private:
    std::filesystem::path path_;
    std::uintmax_t mark_ = 0;
};

// ---- States, as a client of the service manager sees them by polling

inline std::string StateName(DWORD state) {
    constexpr const char* kNames[] = {"STOPPED", "START_PENDING", "STOP_PENDING", "RUNNING"};
    return state >= SERVICE_STOPPED && state <= SERVICE_RUNNING ? kNames[state - 1]
                                                                : "state " + std::to_string(state);
}

inline std::string DescribeStates(const std::vector<DWORD>& states) {
    std::string text;
    for (const DWORD state : states) {
        text += (text.empty() ? "" : " -> ") + StateName(state);
    }
    return text.empty() ? "(none)" : text;
}

struct StateTrace {
    std::vector<DWORD> states;  // each state in the order seen, repeats folded
    bool reached = false;
    milliseconds elapsed{0};  // from `since` to the poll that saw the state
    SERVICE_STATUS_PROCESS last{};

    void Add(DWORD state) {
        if (states.empty() || states.back() != state) {
            states.push_back(state);
        }
    }
    std::string Describe() const {
        return "states seen: " + DescribeStates(states) + " in " + std::to_string(elapsed.count()) +
               " ms";
    }
};

// Queries the service every 10 ms until it reports `wanted`, `timeout` passes (from `since`)
// or a query fails, adding what it sees to `trace`.
inline StateTrace PollUntil(SC_HANDLE service, DWORD wanted, Clock::time_point since,
                            milliseconds timeout, StateTrace trace = {}) {
    for (;;) {
        SERVICE_STATUS_PROCESS status{};
        DWORD needed = 0;
        if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                  sizeof status, &needed)) {
            return trace;
        }
        const auto now = Clock::now();
        trace.elapsed = std::chrono::duration_cast<milliseconds>(now - since);
        trace.last = status;
        trace.Add(status.dwCurrentState);
        trace.reached = status.dwCurrentState == wanted;
        if (trace.reached || now >= since + timeout) {
            return trace;
        }
        std::this_thread::sleep_for(10ms);
    }
}

// START_PENDING* RUNNING STOP_PENDING* STOPPED, never back, up to `last` (RUNNING for a
// start alone, STOPPED for a start and its stop).
inline ::testing::AssertionResult LegalOrder(const std::vector<DWORD>& states, DWORD last) {
    constexpr DWORD kOrder[] = {SERVICE_START_PENDING, SERVICE_RUNNING, SERVICE_STOP_PENDING,
                                SERVICE_STOPPED};
    const auto rank = [&](DWORD state) {
        return static_cast<int>(std::find(std::begin(kOrder), std::end(kOrder), state) -
                                std::begin(kOrder));
    };
    int previous = 0;
    bool running = false;
    for (const DWORD state : states) {
        if (rank(state) == 4 || rank(state) < previous) {
            return ::testing::AssertionFailure()
                   << StateName(state) << " out of order in " << DescribeStates(states);
        }
        previous = rank(state);
        running = running || state == SERVICE_RUNNING;
    }
    if (!running || states.back() != last) {
        return ::testing::AssertionFailure()
               << "expected a sequence through RUNNING ending in " << StateName(last) << ", saw "
               << DescribeStates(states);
    }
    return ::testing::AssertionSuccess();
}

// ---- The service in the manager

// Null when the service cannot be opened; `error` then holds GetLastError().
inline ServiceHandle OpenOrvService(DWORD access, DWORD& error) {
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ServiceHandle service(manager ? OpenServiceW(manager.get(), kServiceName, access) : nullptr);
    error = service ? ERROR_SUCCESS : GetLastError();
    return service;
}

// Stops the service if it runs (ending its process if it will not stop) and deletes it.
// Returns what had to be done, empty when there was no service.
inline std::string RemoveService() {
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        return "OpenSCManagerW failed with error " + std::to_string(GetLastError());
    }
    // Deletion waits for the last handle to close.
    const auto gone = [&] {
        for (const auto deadline = Clock::now() + 15s; Clock::now() < deadline;
             std::this_thread::sleep_for(100ms)) {
            ServiceHandle service(OpenServiceW(manager.get(), kServiceName, SERVICE_QUERY_STATUS));
            if (!service && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) {
                return true;
            }
        }
        return false;
    };
    ServiceHandle service(OpenServiceW(manager.get(), kServiceName, SERVICE_ALL_ACCESS));
    if (!service) {
        return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST || gone()
                   ? std::string()
                   : "the service stays marked for deletion";
    }
    std::string done;
    const StateTrace now = PollUntil(service.get(), SERVICE_STOPPED, Clock::now(), 0ms);
    if (!now.reached && !now.states.empty()) {
        done = "stopped it (was " + StateName(now.last.dwCurrentState) + "), ";
        if (now.last.dwCurrentState == SERVICE_START_PENDING) {
            // A pending start takes no stop yet.
            PollUntil(service.get(), SERVICE_RUNNING, Clock::now(), kLimit);
        }
        SERVICE_STATUS ignored{};
        ControlService(service.get(), SERVICE_CONTROL_STOP, &ignored);
        const StateTrace trace = PollUntil(service.get(), SERVICE_STOPPED, Clock::now(), kLimit);
        KernelHandle process(trace.reached
                                 ? nullptr
                                 : OpenProcess(PROCESS_TERMINATE, FALSE, trace.last.dwProcessId));
        if (process && TerminateProcess(process.get(), 1)) {
            done += "ended its process " + std::to_string(trace.last.dwProcessId) +
                    " that would not stop, ";
            PollUntil(service.get(), SERVICE_STOPPED, Clock::now(), kLimit);
        }
    }
    done += DeleteService(service.get())
                ? "deleted it"
                : "DeleteService failed with error " + std::to_string(GetLastError());
    service.reset();
    return gone() ? done : done + ", but it is still there";
}

// QueryServiceConfigW (level 0) or QueryServiceConfig2W at `level` through the size protocol;
// empty on failure (`error` says why). The record starts the buffer.
inline std::vector<std::uint8_t> QueryConfig(SC_HANDLE service, DWORD level, DWORD& error) {
    const auto query = [&](std::uint8_t* buffer, DWORD size, DWORD* needed) {
        return level == 0
                   ? QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer),
                                         size, needed)
                   : QueryServiceConfig2W(service, level, buffer, size, needed);
    };
    DWORD needed = 0;
    error = ERROR_SUCCESS;
    if (!query(nullptr, 0, &needed) && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        error = GetLastError();
        return {};
    }
    std::vector<std::uint8_t> buffer(needed);
    if (!query(buffer.data(), needed, &needed)) {
        error = GetLastError();
        return {};
    }
    return buffer;
}

// The start type the manager holds; 0 when it cannot be read.
inline DWORD StartType(SC_HANDLE service) {
    DWORD error = ERROR_SUCCESS;
    const auto config = QueryConfig(service, 0, error);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS)) << "QueryServiceConfigW";
    return config.empty()
               ? 0
               : reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(config.data())->dwStartType;
}

// The Start value of the service's registry key, which the library reads; 0 when unreadable.
inline DWORD RegistryStart() {
    const std::wstring key = std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\") + kServiceName;
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Start", RRF_RT_REG_DWORD, nullptr,
                        &value, &size) == ERROR_SUCCESS
               ? value
               : 0;
}

// ---- The fixture

class ServiceManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(HostPath()))
            << "no service host at " << HostPath().string();
        const std::string setup = EnsureSetupFinished();
        ASSERT_TRUE(setup.empty()) << setup;
        const std::string leftover = RemoveService();
        if (!leftover.empty()) {
            std::cout << "note: removed a service left by an earlier run: " << leftover
                      << std::endl;
        }
    }
    void TearDown() override {
        service_.reset();
        const std::string removed = RemoveService();
        if (!removed.empty()) {
            std::cout << "cleanup: " << removed << std::endl;
        }
    }

    // Wine's service manager refuses SERVICE_CONFIG_FAILURE_ACTIONS_FLAG (ERROR_INVALID_LEVEL),
    // so under Wine the host can only install without it, and says so.
    static bool PartialInstallUnderWine(const HostRun& run) {
        return UnderWine() && run.finished && run.exitCode == kPartialInstallExitCode &&
               run.output.find("SERVICE_CONFIG_FAILURE_ACTIONS_FLAG") != std::string::npos;
    }

    // `orvsvc.exe install`, which must succeed (under Wine, as far as Wine allows); opens the
    // service.
    void Install() {
        const HostRun run = RunHost(L"install");
        ASSERT_TRUE((run.finished && run.exitCode == 0) || PartialInstallUnderWine(run))
            << "orvsvc.exe install: " << run.Describe();
        DWORD error = ERROR_SUCCESS;
        service_ = OpenOrvService(SERVICE_ALL_ACCESS, error);
        ASSERT_TRUE(service_) << "after install, OpenServiceW failed with error " << error;
    }

    // Start type 3 (demand), as an administrator may have set it.
    void SetDemandStart() {
        ASSERT_TRUE(ChangeServiceConfigW(service_.get(), SERVICE_NO_CHANGE, SERVICE_DEMAND_START,
                                         SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr))
            << "ChangeServiceConfigW(SERVICE_DEMAND_START) failed with error " << GetLastError();
    }

    // Starts the service and polls until RUNNING, adding the states seen to `trace`; the log
    // mark moves to the start. `durationName` goes to the summary of ./test.sh windows.
    void Start(StateTrace& trace, const std::string& durationName) {
        log_.Mark();
        const auto begin = Clock::now();
        ASSERT_TRUE(StartServiceW(service_.get(), 0, nullptr))
            << "StartServiceW failed with error " << GetLastError() << "; log since:\n"
            << Excerpt(log_.Lines());
        trace = PollUntil(service_.get(), SERVICE_RUNNING, begin, kLimit, std::move(trace));
        ASSERT_TRUE(trace.reached) << "no RUNNING; " << trace.Describe() << "; log since:\n"
                                   << Excerpt(log_.Lines());
        ReportDuration(durationName, trace);
        processId_ = trace.last.dwProcessId;
        process_.reset(OpenProcess(SYNCHRONIZE, FALSE, processId_));
        ASSERT_TRUE(process_) << "OpenProcess of the service's process " << processId_
                              << " failed with error " << GetLastError();
    }

    // Waits for the worker thread's full initialisation in the log written since Start.
    void WaitForFullInit() {
        ASSERT_TRUE(log_.WaitFor(lines::kFullyInitialized, kLimit));
        EXPECT_TRUE(ContainsInOrder(log_.Lines(), {lines::kWorkerStart, lines::kFullInitSignaled,
                                                   lines::kFullyInitialized}));
    }

    // Stops the service and polls until STOPPED, adding the states seen to `trace`; the log
    // mark moves to the stop.
    void Stop(StateTrace& trace, const std::string& durationName) {
        log_.Mark();
        const auto begin = Clock::now();
        SERVICE_STATUS status{};
        ASSERT_TRUE(ControlService(service_.get(), SERVICE_CONTROL_STOP, &status))
            << "ControlService(SERVICE_CONTROL_STOP) failed with error " << GetLastError();
        trace.Add(status.dwCurrentState);
        trace = PollUntil(service_.get(), SERVICE_STOPPED, begin, kLimit, std::move(trace));
        ASSERT_TRUE(trace.reached) << "no STOPPED; " << trace.Describe() << "; log since:\n"
                                   << Excerpt(log_.Lines());
        ReportDuration(durationName, trace);
    }

    // The take-down lines, in order, in the log written since Stop began.
    ::testing::AssertionResult TookDown() const {
        return ContainsInOrder(log_.Lines(), {lines::kStopping, lines::kCleanupExit,
                                              lines::kStopped, lines::kStopWaitDone});
    }

    // The process that ran the service has ended.
    ::testing::AssertionResult ProcessEnded() const {
        if (!process_ || WaitForSingleObject(process_.get(), 30000) != WAIT_OBJECT_0) {
            return ::testing::AssertionFailure()
                   << "the service's process " << processId_
                   << (process_ ? " still runs 30 s after STOPPED" : " was not opened at RUNNING");
        }
        return ::testing::AssertionSuccess();
    }

    // `ORV-DURATION <name>=<ms>` is collected from the test output by ./test.sh windows.
    static void ReportDuration(const std::string& name, const StateTrace& trace) {
        std::cout << "ORV-DURATION " << name << "=" << trace.elapsed.count() << " through "
                  << DescribeStates(trace.states) << std::endl;
    }

    ServiceLog log_{HostPath().parent_path() / L"OrvService.log"};
    ServiceHandle service_;
    KernelHandle process_;  // of the running service: its id cannot be reused while held
    DWORD processId_ = 0;
};

}  // namespace scm_suite
