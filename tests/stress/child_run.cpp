#include "child_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace orvstress {

namespace {

std::map<std::string, std::function<::testing::Test*()>>& ChildRuns() {
    static std::map<std::string, std::function<::testing::Test*()>> runs;
    return runs;
}

}  // namespace

ChildRegistration::ChildRegistration(const char* name, std::function<::testing::Test*()> make) {
    ChildRuns().emplace(name, std::move(make));
}

bool SelectChildRun() {
    const char* name = std::getenv(kChildVariable);
    if (name == nullptr) {
        return true;
    }
    const auto run = ChildRuns().find(name);
    // The name becomes a test filter, in which '-', ':', '*' and '?' mean something.
    if (std::string(name).find_first_of("-:*?") != std::string::npos) {
        std::cerr << "child run names are letters and digits only: \"" << name << "\"\n";
        return false;
    }
    if (run == ChildRuns().end()) {
        std::cerr << "no child run named \"" << name << "\"\n";
        return false;
    }
    ::testing::RegisterTest("StressChild", name, nullptr, nullptr, __FILE__, __LINE__, run->second);
    GTEST_FLAG_SET(filter, std::string("StressChild.") + name);
    return true;
}

std::string ChildResult::Status() const {
    return timedOut      ? "timed out"
           : signal != 0 ? "signal " + std::to_string(signal)
                         : "exit " + std::to_string(exitCode);
}

ChildResult RunChild(const std::string& name, const std::map<std::string, std::string>& environment,
                     std::chrono::milliseconds realTimeout) {
    std::map<std::string, std::string> withName = environment;
    withName[kChildVariable] = name;
    return RunProgram({"/proc/self/exe"}, withName, realTimeout);
}

ChildResult RunProgram(const std::vector<std::string>& arguments,
                       const std::map<std::string, std::string>& environment,
                       std::chrono::milliseconds realTimeout) {
    ChildResult result;
    const auto began = std::chrono::steady_clock::now();

    // This process's environment with `environment` laid over it.
    std::vector<std::string> texts;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        if (!environment.contains(std::string(text.substr(0, text.find('='))))) {
            texts.emplace_back(text);
        }
    }
    for (const auto& [key, value] : environment) {
        texts.emplace_back(key).append("=").append(value);
    }
    std::vector<char*> envp;
    for (std::string& text : texts) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);

    std::string path = "/tmp/orv-stress-XXXXXX";
    if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && *tmp != '\0') {
        path = std::string(tmp) + "/orv-stress-XXXXXX";
    }
    // Close-on-exec: a child started meanwhile by another thread must not inherit it.
    const int out = mkostemp(path.data(), O_CLOEXEC);
    if (out < 0) {
        result.output = std::string("cannot make an output file: ") + std::strerror(errno);
        return result;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out, STDERR_FILENO);
    std::vector<std::string> argumentTexts = arguments;
    std::vector<char*> argv;
    for (std::string& argument : argumentTexts) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, argv.front(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out);
    if (spawned != 0) {
        result.output = "cannot start " + arguments.front() + ": " + std::strerror(spawned);
        unlink(path.c_str());
        return result;
    }

    int status = 0;
    const auto deadline = began + realTimeout;
    for (pid_t done = 0;
         (done = waitpid(child, &status, WNOHANG)) == 0 || (done < 0 && errno == EINTR);) {
        if (std::chrono::steady_clock::now() >= deadline && !result.timedOut) {
            result.timedOut = true;
            kill(child, SIGKILL);  // a hung child would outlive the test otherwise
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    result.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - began);

    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    result.output = text.str();
    unlink(path.c_str());
    return result;
}

std::vector<std::string> LinesStartingWith(const std::string& output, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);) {
        if (line.starts_with(prefix)) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::uint64_t SeedFor(const char* test, std::uint64_t fallback) {
    std::uint64_t seed = fallback;
    if (const char* given = std::getenv("ORV_STRESS_SEED"); given != nullptr && *given != '\0') {
        seed = std::strtoull(given, nullptr, 0);
    }
    std::cout << test << ": seed " << seed << " (repeat with ORV_STRESS_SEED=" << seed << ")\n";
    ::testing::Test::RecordProperty("seed", std::to_string(seed));
    return seed;
}

int CountFromEnvironment(const char* variable, int fallback) {
    const char* given = std::getenv(variable);
    const long value = given == nullptr ? 0 : std::strtol(given, nullptr, 10);
    return value > 0 && value < 1000000 ? static_cast<int>(value) : fallback;
}

int ProcessThreads() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Threads:")) {
            return std::stoi(line.substr(8));
        }
    }
    return -1;
}

std::string ChildParameter(const char* variable) {
    const char* value = std::getenv(variable);
    EXPECT_NE(value, nullptr) << "the parent did not set " << variable;
    return value == nullptr ? "" : value;
}

}  // namespace orvstress

// The stress tests' main: the tests themselves, or, in a process a test started for one run,
// only that run.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return orvstress::SelectChildRun() ? RUN_ALL_TESTS() : 2;
}
