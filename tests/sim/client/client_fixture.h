#pragma once
// Shared set-up of the client stand-in tests: a fresh machine, every stand-in at its defaults
// and an empty trace.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace orvtest {

// Generous real-time limit for "this should happen soon"; only ever reached on failure.
inline constexpr std::chrono::milliseconds kEventually{10000};

// How long to watch for something that must not happen. A wrong stand-in shows itself well
// within it; a right one costs the test this much.
inline constexpr std::chrono::milliseconds kQuietPeriod{300};

class ClientFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};

// The sequence number of the first trace entry of component::operation, or 0.
std::uint64_t FirstTraced(const std::string& component, const std::string& operation);

// Whether a notification with this topic and event state has been published, waiting up to
// `timeout` for it.
bool Published(int topicId, int eventState, std::chrono::milliseconds timeout = kEventually);

}  // namespace orvtest
