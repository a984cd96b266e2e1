#pragma once
// Shared set-up of the common base tests: a fresh machine, the stand-ins at their defaults,
// an empty trace and a private log directory.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>

#include "sim/common_base/common_base_control.h"
#include "winapi/control/machine_control.h"

namespace orvtest {

// Generous real-time limit for "this should happen soon"; only ever reached on failure.
inline constexpr std::chrono::milliseconds kEventually{10000};

class CommonBaseFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        winsim::ResetMachine();
        orvsim::ResetCommonBase();
        orvsim::ClearTrace();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        logDirectory_ = std::filesystem::temp_directory_path() /
                        ("orv-common-base-" + std::to_string(std::random_device{}()) + "-" +
                         info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(logDirectory_);
        orvsim::SetLogDirectory(logDirectory_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(logDirectory_, ignored);
    }

    std::filesystem::path logDirectory_;
};

// Whether the trace holds an entry of `component`::`operation`, waiting for it if need be.
inline bool EventuallyTraced(const std::string& component, const std::string& operation,
                             std::chrono::milliseconds timeout = kEventually) {
    return orvsim::WaitForTrace(
        [&](const orvsim::TraceEntry& entry) {
            return entry.component == component && entry.operation == operation;
        },
        timeout);
}

}  // namespace orvtest
