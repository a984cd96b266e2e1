#pragma once
// The states a service passes through, as a client of the service manager sees them by
// polling, and whether they came in a legal order.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "winapi/windows_api.h"

namespace scm_suite {

struct StateTrace {
    std::vector<DWORD> states;  // each state in the order seen, repeats folded
    bool reached = false;
    DWORD queryError = ERROR_SUCCESS;      // set when a query failed and polling ended
    std::chrono::milliseconds elapsed{0};  // from `since` to the poll that saw the state
    SERVICE_STATUS_PROCESS last{};

    void Add(DWORD state);
    std::string Describe() const;
};

// Queries the service every few milliseconds until it reports `wanted` or `timeout` passes
// (from `since`), adding what it sees to `trace`.
StateTrace PollUntil(SC_HANDLE service, DWORD wanted, std::chrono::steady_clock::time_point since,
                     std::chrono::milliseconds timeout, StateTrace trace = {});

std::string StateName(DWORD state);
std::string DescribeStates(const std::vector<DWORD>& states);

// START_PENDING* RUNNING STOP_PENDING* STOPPED, never back, up to `last` (RUNNING for a
// start alone, STOPPED for a start and its stop).
::testing::AssertionResult LegalOrder(const std::vector<DWORD>& states, DWORD last);

}  // namespace scm_suite
