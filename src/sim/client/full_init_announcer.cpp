#include "sim/client/full_init_announcer.h"

#include <map>
#include <thread>

#include "base/annotated_mutex.h"
#include "platform/shared_native/publisher_subscriber.h"
#include "shared/client_vocabulary.h"
#include "shared/notification_data.h"
#include "sim/client/client_control.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace orvsim::client {
namespace {

constexpr char kComponent[] = "ConfigPolicyAgent";

class Announcer {
  public:
    ~Announcer() { Withdraw(); }

    void Created(const IORVAgent* agent) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        initTried_[agent] = false;
        changed_.NotifyAll();
    }

    void Destroyed(const IORVAgent* agent) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        initTried_.erase(agent);
        changed_.NotifyAll();
    }

    void InitTried(const IORVAgent* agent) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        const auto it = initTried_.find(agent);
        if (it != initTried_.end()) {
            it->second = true;
        }
        changed_.NotifyAll();
    }

    void Arm() EXCLUDES(lifecycle_, mutex_) {
        tsa::MutexLock life(lifecycle_);
        StopThread();
        if (!Arranged().enabled) {
            return;
        }
        HANDLE cancel = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (cancel == nullptr) {
            TraceCall(kComponent, "AnnounceFullInitFailed", "no cancel event", GetLastError());
            return;
        }
        {
            tsa::MutexLock lock(mutex_);
            cancelled_ = false;
            cancelEvent_ = cancel;
        }
        thread_ = std::thread([this, cancel] { Run(cancel); });
    }

    void Withdraw() EXCLUDES(lifecycle_, mutex_) {
        tsa::MutexLock life(lifecycle_);
        StopThread();
    }

    void Arrange(const FullInitSignalArrangement& arrangement) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        arrangement_ = arrangement;
    }

    FullInitSignalArrangement Arranged() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return arrangement_;
    }

  private:
    // The only join of the announcer thread.
    void StopThread() REQUIRES(lifecycle_) EXCLUDES(mutex_) {
        HANDLE cancel = nullptr;
        {
            tsa::MutexLock lock(mutex_);
            cancelled_ = true;
            cancel = cancelEvent_;
            cancelEvent_ = nullptr;
            changed_.NotifyAll();
        }
        if (cancel != nullptr) {
            SetEvent(cancel);
        }
        if (thread_.joinable()) {
            thread_.join();
        }
        if (cancel != nullptr) {
            CloseHandle(cancel);
        }
    }

    bool AllInitsTried() const REQUIRES(mutex_) {
        for (const auto& [agent, tried] : initTried_) {
            if (!tried) {
                return false;
            }
        }
        return true;
    }

    // The announcer thread: agents first, then the delay, then the bus.
    void Run(HANDLE cancel) EXCLUDES(mutex_) {
        DWORD delay = 0;
        {
            tsa::MutexLock lock(mutex_);
            while (!cancelled_ && !AllInitsTried()) {
                changed_.Wait(mutex_);
            }
            if (cancelled_) {
                return;
            }
            delay = static_cast<DWORD>(arrangement_.delay.count());
        }
        // On the machine's clock, so scaled scenarios keep their proportions.
        if (WaitForSingleObject(cancel, delay) != WAIT_TIMEOUT) {
            return;
        }
        {
            tsa::MutexLock lock(mutex_);
            if (cancelled_ || !arrangement_.enabled) {
                return;
            }
        }
        TraceCall(kComponent, "AnnounceFullInit", orv::bus::kTopicConfigPolicy,
                  orv::bus::kStateMayFullyInitialize);
        TraceSilence quiet;  // the agent's own use of the bus is not a call from outside
        ORVNotificationData announcement(orv::bus::kTopicConfigPolicy,
                                         orv::bus::kStateMayFullyInitialize, L"");
        ORVPublisherSubscriber::GetInstance()->Notify(announcement, L"");
    }

    tsa::Mutex lifecycle_ ACQUIRED_BEFORE(mutex_);
    std::thread thread_ GUARDED_BY(lifecycle_);

    tsa::Mutex mutex_;
    tsa::CondVar changed_;  // agents, their Init or the cancellation changed
    std::map<const IORVAgent*, bool> initTried_ GUARDED_BY(mutex_);
    bool cancelled_ GUARDED_BY(mutex_) = true;
    HANDLE cancelEvent_ GUARDED_BY(mutex_) = nullptr;
    FullInitSignalArrangement arrangement_ GUARDED_BY(mutex_);
};

// Never destroyed: agents that a cut-short take-down left in the agent factory are destroyed
// with it at exit, and tell the announcer so.
Announcer& TheAnnouncer() {
    static auto* announcer = new Announcer();
    return *announcer;
}

}  // namespace

void AgentCreated(const IORVAgent* agent) {
    TheAnnouncer().Created(agent);
}

void AgentDestroyed(const IORVAgent* agent) {
    TheAnnouncer().Destroyed(agent);
}

void AgentInitTried(const IORVAgent* agent) {
    TheAnnouncer().InitTried(agent);
}

void ArmFullInitAnnouncement() {
    TheAnnouncer().Arm();
}

void WithdrawFullInitAnnouncement() {
    TheAnnouncer().Withdraw();
}

void ResetFullInitAnnouncer() {
    // The agents that exist stay known: their existence is a fact, not an arrangement.
    TheAnnouncer().Withdraw();
    TheAnnouncer().Arrange({});
}

}  // namespace orvsim::client

namespace orvsim {

void ArrangeFullInitSignal(const FullInitSignalArrangement& arrangement) {
    client::TheAnnouncer().Arrange(arrangement);
}

FullInitSignalArrangement ArrangedFullInitSignal() {
    return client::TheAnnouncer().Arranged();
}

}  // namespace orvsim
