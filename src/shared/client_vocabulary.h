#pragma once
// The client's own numbers, shared by the service library and the sibling libraries: the
// topics and event states of the notification bus, and the service control codes the client
// defines beside Windows' own.

#include <cstdint>

namespace orv::bus {

inline constexpr int kTopicRegistration = 2;
inline constexpr int kTopicConfigPolicy = 4;
inline constexpr int kTopicMaintenance = 7;
inline constexpr int kTopicPower = 11;
inline constexpr int kTopicTimeChanged = 13;
inline constexpr int kTopicServiceStopping = 91;

// Topics whose only event state is 0: kTopicTimeChanged, kTopicServiceStopping.
inline constexpr int kStateNone = 0;
inline constexpr int kStateMaintenance = 1;              // on kTopicMaintenance
inline constexpr int kStateMaintenanceAlternate = 2;     // on kTopicMaintenance
inline constexpr int kStateRegistrationNotAnError = 11;  // on kTopicRegistration
inline constexpr int kStateResumedFromSleep = 14;        // on kTopicPower
inline constexpr int kStatePolicyChanged = 15;           // on kTopicConfigPolicy
inline constexpr int kStateMayFullyInitialize = 19;      // on kTopicConfigPolicy

}  // namespace orv::bus

namespace orv::control_codes {

inline constexpr std::uint32_t kDiagnosticsScan = 210;
inline constexpr std::uint32_t kDiagnosticsScanAlternate = 211;
inline constexpr std::uint32_t kMaintenance = 220;
inline constexpr std::uint32_t kMaintenanceAlternate = 221;

}  // namespace orv::control_codes
