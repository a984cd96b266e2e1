#include "platform/agents/notification_agent.h"

#include "sim/client/agent_support.h"

namespace {

constexpr char kComponent[] = "NotificationAgent";

orvsim::client::OwnedInstance<NotificationAgent>& Instance() {
    static orvsim::client::OwnedInstance<NotificationAgent> instance;
    return instance;
}

int CountSet(std::initializer_list<const NotificationAgent::Callback*> callbacks) {
    int set = 0;
    for (const auto* callback : callbacks) {
        set += static_cast<bool>(*callback) ? 1 : 0;
    }
    return set;
}

}  // namespace

NotificationAgent* NotificationAgent::GetInstance(Callback onShown, Callback onActivated,
                                                  Callback onDismissed, Callback onFailed,
                                                  Callback onExpired) {
    // Traced with how many of the five callbacks hold a function.
    const bool missing = orvsim::IsInstanceMissing(kComponent);
    orvsim::TraceCall(kComponent, "GetInstance", missing ? "null" : "instance",
                      CountSet({&onShown, &onActivated, &onDismissed, &onFailed, &onExpired}));
    if (missing) {
        return nullptr;
    }
    return Instance().Get([&] {
        return new NotificationAgent(std::move(onShown), std::move(onActivated),
                                     std::move(onDismissed), std::move(onFailed),
                                     std::move(onExpired));
    });
}

NotificationAgent::NotificationAgent(Callback onShown, Callback onActivated, Callback onDismissed,
                                     Callback onFailed, Callback onExpired)
    : IORVAgent(L"NotificationAgent"),
      onShown_(std::move(onShown)),
      onActivated_(std::move(onActivated)),
      onDismissed_(std::move(onDismissed)),
      onFailed_(std::move(onFailed)),
      onExpired_(std::move(onExpired)) {
    orvsim::client::AgentCreated(this);
}

NotificationAgent::~NotificationAgent() {
    orvsim::client::AgentDestroyed(this);
    Instance().Forget(this);
}

bool NotificationAgent::Init() {
    return orvsim::client::TrackedInit(this, [this] { return IORVAgent::Init(); });
}

int NotificationAgent::RegisteredCallbackCount() {
    orvsim::TraceCall(kComponent, "RegisteredCallbackCount");
    return CountSet({&onShown_, &onActivated_, &onDismissed_, &onFailed_, &onExpired_});
}
