#include "service_manager_status.h"

#include <algorithm>
#include <iterator>
#include <thread>

namespace scm_suite {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);

// The one order a start and a stop may go through.
constexpr DWORD kOrder[] = {SERVICE_START_PENDING, SERVICE_RUNNING, SERVICE_STOP_PENDING,
                            SERVICE_STOPPED};

// Position in kOrder; -1 for any other state.
int Rank(DWORD state) {
    const auto* at = std::find(std::begin(kOrder), std::end(kOrder), state);
    return at == std::end(kOrder) ? -1 : static_cast<int>(at - std::begin(kOrder));
}

}  // namespace

void StateTrace::Add(DWORD state) {
    if (states.empty() || states.back() != state) {
        states.push_back(state);
    }
}

std::string StateTrace::Describe() const {
    std::string text =
        "states seen: " + DescribeStates(states) + " in " + std::to_string(elapsed.count()) + " ms";
    if (queryError != ERROR_SUCCESS) {
        text += ", then QueryServiceStatusEx failed with error " + std::to_string(queryError);
    }
    return text;
}

StateTrace PollUntil(SC_HANDLE service, DWORD wanted, std::chrono::steady_clock::time_point since,
                     std::chrono::milliseconds timeout, StateTrace trace) {
    const auto deadline = since + timeout;
    for (;;) {
        SERVICE_STATUS_PROCESS status{};
        DWORD needed = 0;
        if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                  sizeof status, &needed)) {
            trace.queryError = GetLastError();
            return trace;
        }
        const auto now = std::chrono::steady_clock::now();
        trace.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - since);
        trace.last = status;
        trace.Add(status.dwCurrentState);
        if (status.dwCurrentState == wanted) {
            trace.reached = true;
            return trace;
        }
        if (now >= deadline) {
            return trace;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

std::string StateName(DWORD state) {
    switch (state) {
        case SERVICE_STOPPED:
            return "STOPPED";
        case SERVICE_START_PENDING:
            return "START_PENDING";
        case SERVICE_STOP_PENDING:
            return "STOP_PENDING";
        case SERVICE_RUNNING:
            return "RUNNING";
        default:
            return "state " + std::to_string(state);
    }
}

std::string DescribeStates(const std::vector<DWORD>& states) {
    if (states.empty()) {
        return "(none)";
    }
    std::string text;
    for (const DWORD state : states) {
        text += (text.empty() ? "" : " -> ") + StateName(state);
    }
    return text;
}

::testing::AssertionResult LegalOrder(const std::vector<DWORD>& states, DWORD last) {
    int previous = -1;
    bool running = false;
    for (const DWORD state : states) {
        const int rank = Rank(state);
        if (rank < 0 || rank < previous) {
            return ::testing::AssertionFailure()
                   << StateName(state) << " out of order in " << DescribeStates(states);
        }
        running = running || state == SERVICE_RUNNING;
        previous = rank;
    }
    if (!running || states.back() != last) {
        return ::testing::AssertionFailure()
               << "expected a sequence through RUNNING ending in " << StateName(last) << ", saw "
               << DescribeStates(states);
    }
    return ::testing::AssertionSuccess();
}

}  // namespace scm_suite
