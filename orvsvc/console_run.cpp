#include "orvsvc/console_run.h"

#include <exception>
#include <filesystem>
#include <functional>
#include <string>

#include "orvsvc/console_output.h"
#include "orvsvc/exit_codes.h"
#include "orvsvc/log_tail.h"
#include "orvsvc/one_shot_event.h"
#include "orvsvc/text_encoding.h"
#include "orvsvc/win32_error.h"
#include "service/entry_points.h"

namespace orvsvc {

namespace {

constexpr wchar_t kLogFile[] = L"OrvService.log";
constexpr wchar_t kLogDirVariable[] = L"ORV_LOG_DIR";
constexpr std::chrono::milliseconds kLogPoll{200};
// Windows ends the process a few seconds after a close, logoff or shutdown event whatever the
// handler does; the handler holds it that long for OnStop (which takes at least 2 s).
constexpr std::chrono::milliseconds kCloseGrace{4500};

// What the console control handler reaches: Windows calls it on a thread of its own, without
// a context argument.
struct ConsoleStop {
    OneShotEvent requested;
    OneShotEvent finished;  // OnStop has returned
};

// Never destroyed: Windows may call the handler until the process has ended.
ConsoleStop& TheConsoleStop() {
    static auto* stop = new ConsoleStop();
    return *stop;
}

BOOL WINAPI OnConsoleControl(DWORD event) {
    ConsoleStop& stop = TheConsoleStop();
    stop.requested.Set();
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The process ends when this returns.
        stop.finished.WaitFor(kCloseGrace);
    }
    return TRUE;
}

// Runs one entry point; false (printed) when an exception left it.
bool Call(const wchar_t* name, const std::function<void()>& entry) {
    try {
        entry();
        return true;
    } catch (const std::exception& error) {
        PrintErrorLine(std::wstring(L"orvsvc: ") + name + L" threw: " + FromUtf8(error.what()));
    } catch (...) {
        PrintErrorLine(std::wstring(L"orvsvc: ") + name + L" threw an exception");
    }
    return false;
}

// Where the library writes its log: the folder ORV_LOG_DIR names, else the current one.
std::filesystem::path LogFilePath() {
    std::wstring folder(MAX_PATH, L'\0');
    DWORD length =
        GetEnvironmentVariableW(kLogDirVariable, folder.data(), static_cast<DWORD>(folder.size()));
    if (length >= folder.size()) {  // too small: `length` is the size it needs
        folder.resize(length);
        length = GetEnvironmentVariableW(kLogDirVariable, folder.data(), length);
    }
    if (length == 0 || length >= folder.size()) {
        return kLogFile;
    }
    folder.resize(length);
    return std::filesystem::path(folder) / kLogFile;
}

// Returns what to print: why the service stops.
std::wstring WaitForStopRequest(const ConsoleStop& stop, const ConsoleOptions& options,
                                std::chrono::steady_clock::time_point began) {
    if (!options.stopAfter) {
        stop.requested.Wait();
        return L"orvsvc: stopping";
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        began + *options.stopAfter - std::chrono::steady_clock::now());
    if (stop.requested.WaitFor(left)) {
        return L"orvsvc: stopping";
    }
    return L"orvsvc: stopping after " + std::to_wstring(options.stopAfter->count()) + L" s";
}

}  // namespace

int RunInConsole(const ConsoleOptions& options) {
    const auto began = std::chrono::steady_clock::now();
    ConsoleStop& stop = TheConsoleStop();
    if (!SetConsoleCtrlHandler(&OnConsoleControl, TRUE)) {
        PrintErrorLine(L"orvsvc: Ctrl+C cannot stop the service here (" +
                       DescribeFailure(L"SetConsoleCtrlHandler", GetLastError()) + L")");
    }
    PrintErrorLine(L"orvsvc: running ORVService in this console; Ctrl+C stops it");
    bool clean = true;
    {
        const LogTail tail(
            LogFilePath(), [](std::string_view line) { PrintUtf8Line(line); }, kLogPoll);
        // After a failed start OnStop still runs, to release what the library set up.
        clean = Call(L"OnStart", [] { OnStart(nullptr); });
        PrintErrorLine(clean ? WaitForStopRequest(stop, options, began) : L"orvsvc: stopping");
        clean = Call(L"OnStop", [] { OnStop(); }) && clean;
    }
    PrintErrorLine(L"orvsvc: stopped");
    stop.finished.Set();
    return clean ? kExitOk : kExitFailed;
}

}  // namespace orvsvc
