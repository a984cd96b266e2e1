#include "platform/common_base/process_wrap.h"

#include <atomic>

#include "sim/common_base/environment_arrangements.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "ORV::ProcessWrap";
constexpr int kNoActiveSession = -1;

std::atomic<int> g_activeUserSessionId{kNoActiveSession};

}  // namespace

namespace orvsim::environment {

void ResetActiveUserSession() {
    g_activeUserSessionId = kNoActiveSession;
}

}  // namespace orvsim::environment

namespace ORV {

DWORD ProcessWrap::GetCurrentSessionId() {
    DWORD session = 0;
    if (auto arranged = orvsim::environment::CurrentSessionOverride()) {
        session = *arranged;
    } else if (int active = g_activeUserSessionId.load(); active >= 0) {
        session = static_cast<DWORD>(active);
    }
    orvsim::TraceCall(kComponent, "GetCurrentSessionId", session);
    return session;
}

int ProcessWrap::GetActiveUserSessionId() {
    const int session = g_activeUserSessionId.load();
    orvsim::TraceCall(kComponent, "GetActiveUserSessionId", session);
    return session;
}

void ProcessWrap::SetActiveUserSessionId(int sessionId) {
    // Stored first, so that whoever sees the entry also sees the new session.
    g_activeUserSessionId = sessionId;
    orvsim::TraceCall(kComponent, "SetActiveUserSessionId", sessionId);
}

}  // namespace ORV
