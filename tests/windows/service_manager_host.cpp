#include "service_manager_host.h"

#include <thread>
#include <vector>

#include "service_manager_platform.h"
#include "winapi/windows_api.h"

namespace scm_suite {

std::filesystem::path HostFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return std::filesystem::path(std::wstring(buffer.data(), length)).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::filesystem::path HostPath() {
    return HostFolder() / L"orvsvc.exe";
}

std::string HostRun::Describe() const {
    std::string text;
    if (!started) {
        text = "not started";
    } else if (!finished) {
        text = "still running after " + std::to_string(elapsed.count()) + " ms (terminated)";
    } else {
        text = "exit code " + std::to_string(exitCode) + " after " +
               std::to_string(elapsed.count()) + " ms";
    }
    return text + ", output:\n" + (output.empty() ? std::string("(none)") : output);
}

namespace {

// Reads the pipe to its end; the end comes when every writer (the child) has closed it.
std::string Drain(HANDLE pipe) {
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got != 0) {
        text.append(chunk, got);
    }
    return text;
}

}  // namespace

HostRun RunHost(const std::wstring& arguments, const std::filesystem::path& workingDirectory,
                std::chrono::milliseconds timeout) {
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
    const auto begin = std::chrono::steady_clock::now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, workingDirectory.empty() ? nullptr : workingDirectory.c_str(),
                        &startup, &process)) {
        run.output = "CreateProcessW failed, error " + std::to_string(GetLastError());
        return run;
    }
    run.started = true;
    KernelHandle processHandle(process.hProcess);
    KernelHandle threadHandle(process.hThread);
    // Only the child may hold the write end now, so the reader sees the end when it exits.
    writer.reset();

    std::string output;
    std::thread drain([&output, pipe = reader.get()] { output = Drain(pipe); });
    const DWORD waited = WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeout.count()));
    run.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - begin);
    if (waited == WAIT_OBJECT_0) {
        run.finished = true;
        GetExitCodeProcess(process.hProcess, &run.exitCode);
    } else {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 10000);
    }
    drain.join();
    run.output = std::move(output);
    return run;
}

}  // namespace scm_suite
