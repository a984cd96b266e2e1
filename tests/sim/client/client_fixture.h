#pragma once
// Shared set-up of the client stand-in tests: a fresh machine, every stand-in at its defaults
// and an empty trace.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "sim/client/client_control.h"
#include "sim/common_base/common_base_control.h"
#include "sim/trace.h"
#include "winapi/control/machine.h"

namespace orvtest {

// Generous real-time limit for "this should happen soon"; only ever reached on failure.
inline constexpr std::chrono::milliseconds kEventually{10000};

// How long to watch for something that must not happen. A wrong stand-in shows itself well
// within it; a right one costs the test this much.
inline constexpr std::chrono::milliseconds kQuietPeriod{300};

class ClientFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        // The client first: its threads wait on the machine's objects.
        orvsim::ResetClient();
        orvsim::ResetCommonBase();
        winsim::ResetMachine();
        orvsim::ClearTrace();
    }
    void TearDown() override { orvsim::ResetClient(); }
};

// Whether a notification with this topic and event state has been published, waiting up to
// `timeout` for it.
inline bool Published(int topicId, int eventState,
                      std::chrono::milliseconds timeout = kEventually) {
    return orvsim::WaitForPublication(
        [&](const orvsim::Publication& publication) {
            return publication.topicId == topicId && publication.eventState == eventState;
        },
        timeout);
}

}  // namespace orvtest
