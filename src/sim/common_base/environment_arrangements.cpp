#include "sim/common_base/environment_arrangements.h"

#include "base/annotated_mutex.h"
#include "base/guarded.h"
#include "sim/common_base/environment_control.h"

namespace orvsim {
namespace {

enum class OobeMode { kCompleted, kCompletedAfter, kNever };

orv::registration::RegistrationResult DefaultRegistration() {
    orv::registration::RegistrationResult result;
    result.success = true;
    result.errorCode = 0;
    return result;
}

struct Arranged {
    OobeMode oobeMode = OobeMode::kCompleted;
    unsigned oobeFailedChecks = 0;
    unsigned oobeChecks = 0;
    orv::registration::RegistrationResult registration = DefaultRegistration();
    std::wstring manufacturer = L"Quelro";
    std::optional<std::uint32_t> currentSession;
    bool securityFails = false;
    int outstandingDescriptors = 0;
};

class Environment : public orvbase::Guarded<Arranged> {
  public:
    bool CheckOobe() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        ++state_.oobeChecks;
        switch (state_.oobeMode) {
            case OobeMode::kCompleted:
                return true;
            case OobeMode::kCompletedAfter:
                return state_.oobeChecks > state_.oobeFailedChecks;
            case OobeMode::kNever:
                break;
        }
        return false;
    }

    void ArrangeOobe(OobeMode mode, unsigned failedChecks) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        state_.oobeMode = mode;
        state_.oobeFailedChecks = failedChecks;
        state_.oobeChecks = 0;
    }
};

Environment& TheEnvironment() {
    static auto* environment = new Environment();
    return *environment;
}

}  // namespace

namespace environment {

bool CheckOobe() {
    return TheEnvironment().CheckOobe();
}

std::optional<std::uint32_t> CurrentSessionOverride() {
    return TheEnvironment().State().currentSession;
}

bool SecurityAttributesFail() {
    return TheEnvironment().State().securityFails;
}

void SecurityDescriptorAllocated() {
    TheEnvironment().With([](Arranged& arranged) { ++arranged.outstandingDescriptors; });
}

void SecurityDescriptorFreed() {
    TheEnvironment().With([](Arranged& arranged) { --arranged.outstandingDescriptors; });
}

}  // namespace environment

void ArrangeOobeCompleted() {
    TheEnvironment().ArrangeOobe(OobeMode::kCompleted, 0);
}

void ArrangeOobeCompletedAfter(unsigned failedChecks) {
    TheEnvironment().ArrangeOobe(OobeMode::kCompletedAfter, failedChecks);
}

void ArrangeOobeNeverCompleted() {
    TheEnvironment().ArrangeOobe(OobeMode::kNever, 0);
}

unsigned OobeChecks() {
    return TheEnvironment().State().oobeChecks;
}

void ArrangeRegistration(bool success, std::int32_t errorCode) {
    orv::registration::RegistrationResult result;
    result.success = success;
    result.errorCode = errorCode;
    TheEnvironment().With([&](Arranged& arranged) { arranged.registration = result; });
}

orv::registration::RegistrationResult ArrangedRegistration() {
    return TheEnvironment().State().registration;
}

void ArrangeManufacturer(std::wstring manufacturer) {
    TheEnvironment().With(
        [&](Arranged& arranged) { arranged.manufacturer = std::move(manufacturer); });
}

std::wstring ArrangedManufacturer() {
    return TheEnvironment().State().manufacturer;
}

void ArrangeCurrentSessionId(std::optional<std::uint32_t> sessionId) {
    TheEnvironment().With([&](Arranged& arranged) { arranged.currentSession = sessionId; });
}

void ArrangeSecurityAttributesFailure(bool fail) {
    TheEnvironment().With([&](Arranged& arranged) { arranged.securityFails = fail; });
}

int OutstandingSecurityDescriptors() {
    return TheEnvironment().State().outstandingDescriptors;
}

void ResetEnvironmentArrangements() {
    TheEnvironment().Reset();
    environment::ResetActiveUserSession();
}

}  // namespace orvsim
