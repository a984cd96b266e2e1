// The client's bus topics, event states and control codes, pinned to the numbers the other
// components of the client send and expect: the rest of the tests spell them by name, so a
// wrong number in the header would pass them all.

#include <gtest/gtest.h>

#include <cstdint>

#include "shared/client_vocabulary.h"

namespace {

struct Row {
    const char* name;
    std::int64_t value;
    std::int64_t agreed;
};

TEST(ClientVocabularyTest, NumbersAreThoseTheOtherComponentsUse) {
    const Row rows[] = {
        {"kTopicRegistration", orv::bus::kTopicRegistration, 2},
        {"kTopicConfigPolicy", orv::bus::kTopicConfigPolicy, 4},
        {"kTopicMaintenance", orv::bus::kTopicMaintenance, 7},
        {"kTopicPower", orv::bus::kTopicPower, 11},
        {"kTopicTimeChanged", orv::bus::kTopicTimeChanged, 13},
        {"kTopicServiceStopping", orv::bus::kTopicServiceStopping, 91},
        {"kStateNone", orv::bus::kStateNone, 0},
        {"kStateMaintenance", orv::bus::kStateMaintenance, 1},
        {"kStateMaintenanceAlternate", orv::bus::kStateMaintenanceAlternate, 2},
        {"kStateRegistrationNotAnError", orv::bus::kStateRegistrationNotAnError, 11},
        {"kStateResumedFromSleep", orv::bus::kStateResumedFromSleep, 14},
        {"kStatePolicyChanged", orv::bus::kStatePolicyChanged, 15},
        {"kStateMayFullyInitialize", orv::bus::kStateMayFullyInitialize, 19},
        {"kDiagnosticsScan", orv::control_codes::kDiagnosticsScan, 210},
        {"kDiagnosticsScanAlternate", orv::control_codes::kDiagnosticsScanAlternate, 211},
        {"kMaintenance", orv::control_codes::kMaintenance, 220},
        {"kMaintenanceAlternate", orv::control_codes::kMaintenanceAlternate, 221},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.value, row.agreed) << row.name;
    }
}

}  // namespace
