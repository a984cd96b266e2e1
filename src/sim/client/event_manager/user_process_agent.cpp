#include "platform/event_manager/user_process_agent.h"

#include "base/annotated_mutex.h"
#include "base/guarded.h"
#include "platform/common_base/process_wrap.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "UserProcessAgent";

// The one per-user process "ORVUserAgent.exe" and what is arranged about it.
struct ArrangedProcess {
    orvsim::UserProcessArrangement arranged;
    orvsim::UserProcessState process;
};

class UserProcessBook : public orvbase::Guarded<ArrangedProcess> {
  public:
    bool DatasetEnabled() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return state_.arranged.datasetEnabled;
    }

    int SessionChange(int activeSession) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        if (state_.arranged.sessionChangeAnswer) {
            return *state_.arranged.sessionChangeAnswer;
        }
        return state_.process.running && state_.process.sessionId != activeSession ? 1 : 0;
    }

    bool Stop() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        if (!state_.process.running) {
            return false;
        }
        state_.process.running = false;
        state_.process.sessionId = -1;
        ++state_.process.stops;
        return true;
    }

    // Why the process was not started, or null when it runs in `session` now.
    const char* Start(int session) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        if (session < 0) {
            return "no active user session";
        }
        if (state_.process.running && state_.process.sessionId == session) {
            return "already running";
        }
        state_.process.running = true;
        state_.process.sessionId = session;
        ++state_.process.starts;
        return nullptr;
    }

    void Arrange(const orvsim::UserProcessArrangement& arrangement) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        state_.arranged = arrangement;
    }
};

UserProcessBook& TheProcess() {
    static UserProcessBook process;
    return process;
}

int ActiveUserSession() {
    orvsim::TraceSilence quiet;  // the agent's own look, not the caller's call
    return ORV::ProcessWrap::GetActiveUserSessionId();
}

}  // namespace

UserProcessAgent* UserProcessAgent::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    static UserProcessAgent agent;
    return &agent;
}

bool UserProcessAgent::IsDatasetEnable() {
    orvsim::TraceCall(kComponent, "IsDatasetEnable");
    return TheProcess().DatasetEnabled();
}

int UserProcessAgent::CheckUserProcessSessionIdChange() {
    orvsim::TraceCall(kComponent, "CheckUserProcessSessionIdChange");
    return TheProcess().SessionChange(ActiveUserSession());
}

void UserProcessAgent::StopUserProcess(int flags) {
    TheProcess().Stop();
    orvsim::TraceCall(kComponent, "StopUserProcess", flags);
}

void UserProcessAgent::StartUserProcess(HANDLE& stopEvent, int flags) {
    orvsim::TraceCall(kComponent, "StartUserProcess", static_cast<const void*>(stopEvent), flags);
    const char* notStarted = nullptr;
    if (stopEvent != nullptr && WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0) {
        notStarted = "stopping";
    } else {
        notStarted = TheProcess().Start(ActiveUserSession());
    }
    orvsim::TraceCall(kComponent, "StartUserProcessDone",
                      notStarted == nullptr ? "started" : notStarted);
}

namespace orvsim {

void ArrangeUserProcess(const UserProcessArrangement& arrangement) {
    TheProcess().Arrange(arrangement);
}

UserProcessState UserProcess() {
    return TheProcess().State().process;
}

namespace client {

void ResetUserProcessAgent() {
    TheProcess().Reset();
}

}  // namespace client
}  // namespace orvsim
