#pragma once
// Shared set-up of the common base tests: a fresh machine, the stand-ins at their defaults,
// an empty trace and a private log directory.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace orvtest {

// Generous real-time limit for "this should happen soon"; only ever reached on failure.
inline constexpr std::chrono::milliseconds kEventually{10000};

class CommonBaseFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path logDirectory_;
};

// Reads a text file's lines.
std::vector<std::string> ReadLines(const std::filesystem::path& file);

// Whether the trace holds an entry of `component`::`operation`, waiting for it if need be.
bool EventuallyTraced(const std::string& component, const std::string& operation);

}  // namespace orvtest
