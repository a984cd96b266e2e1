#include "sim/common_base/environment_arrangements.h"

#include "base/annotated_mutex.h"
#include "sim/common_base/environment_control.h"

namespace orvsim {
namespace {

enum class OobeMode { kCompleted, kCompletedAfter, kNever };

class Environment {
  public:
    bool CheckOobe() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        ++oobeChecks_;
        switch (oobeMode_) {
            case OobeMode::kCompleted:
                return true;
            case OobeMode::kCompletedAfter:
                return oobeChecks_ > oobeFailedChecks_;
            case OobeMode::kNever:
                break;
        }
        return false;
    }

    void ArrangeOobe(OobeMode mode, unsigned failedChecks) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        oobeMode_ = mode;
        oobeFailedChecks_ = failedChecks;
        oobeChecks_ = 0;
    }

    unsigned OobeChecks() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return oobeChecks_;
    }

    void ArrangeRegistration(orv::registration::RegistrationResult result) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        registration_ = result;
    }

    orv::registration::RegistrationResult Registration() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return registration_;
    }

    void ArrangeManufacturer(std::wstring manufacturer) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        manufacturer_ = std::move(manufacturer);
    }

    std::wstring Manufacturer() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return manufacturer_;
    }

    void ArrangeCurrentSession(std::optional<std::uint32_t> session) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        currentSession_ = session;
    }

    std::optional<std::uint32_t> CurrentSession() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return currentSession_;
    }

    void ArrangeSecurityFailure(bool fail) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        securityFails_ = fail;
    }

    bool SecurityFails() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return securityFails_;
    }

    void CountDescriptor(int delta) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        outstandingDescriptors_ += delta;
    }

    int OutstandingDescriptors() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return outstandingDescriptors_;
    }

    void Reset() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        oobeMode_ = OobeMode::kCompleted;
        oobeFailedChecks_ = 0;
        oobeChecks_ = 0;
        registration_ = DefaultRegistration();
        manufacturer_ = kDefaultManufacturer;
        currentSession_.reset();
        securityFails_ = false;
        outstandingDescriptors_ = 0;
    }

  private:
    static constexpr wchar_t kDefaultManufacturer[] = L"Quelro";

    static orv::registration::RegistrationResult DefaultRegistration() {
        orv::registration::RegistrationResult result;
        result.success = true;
        result.errorCode = 0;
        return result;
    }

    tsa::Mutex mutex_;
    OobeMode oobeMode_ GUARDED_BY(mutex_) = OobeMode::kCompleted;
    unsigned oobeFailedChecks_ GUARDED_BY(mutex_) = 0;
    unsigned oobeChecks_ GUARDED_BY(mutex_) = 0;
    orv::registration::RegistrationResult registration_ GUARDED_BY(mutex_) = DefaultRegistration();
    std::wstring manufacturer_ GUARDED_BY(mutex_) = kDefaultManufacturer;
    std::optional<std::uint32_t> currentSession_ GUARDED_BY(mutex_);
    bool securityFails_ GUARDED_BY(mutex_) = false;
    int outstandingDescriptors_ GUARDED_BY(mutex_) = 0;
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
    return TheEnvironment().CurrentSession();
}

bool SecurityAttributesFail() {
    return TheEnvironment().SecurityFails();
}

void SecurityDescriptorAllocated() {
    TheEnvironment().CountDescriptor(1);
}

void SecurityDescriptorFreed() {
    TheEnvironment().CountDescriptor(-1);
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
    return TheEnvironment().OobeChecks();
}

void ArrangeRegistration(bool success, std::int32_t errorCode) {
    orv::registration::RegistrationResult result;
    result.success = success;
    result.errorCode = errorCode;
    TheEnvironment().ArrangeRegistration(result);
}

orv::registration::RegistrationResult ArrangedRegistration() {
    return TheEnvironment().Registration();
}

void ArrangeManufacturer(std::wstring manufacturer) {
    TheEnvironment().ArrangeManufacturer(std::move(manufacturer));
}

std::wstring ArrangedManufacturer() {
    return TheEnvironment().Manufacturer();
}

void ArrangeCurrentSessionId(std::optional<std::uint32_t> sessionId) {
    TheEnvironment().ArrangeCurrentSession(sessionId);
}

void ArrangeSecurityAttributesFailure(bool fail) {
    TheEnvironment().ArrangeSecurityFailure(fail);
}

int OutstandingSecurityDescriptors() {
    return TheEnvironment().OutstandingDescriptors();
}

void ResetEnvironmentArrangements() {
    TheEnvironment().Reset();
    environment::ResetActiveUserSession();
}

}  // namespace orvsim
