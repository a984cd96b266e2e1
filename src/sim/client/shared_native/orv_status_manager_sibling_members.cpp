#include "shared/orv_status_manager.h"

#include <memory>

#include "base/annotated_mutex.h"
#include "sim/client/shared_native/handed_over.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "ORV::OrvStatusManager";

// The process-wide manager. Its caller owns it once GetInstance has returned it; whether that
// owner has let it go shows through the weak pointer that the helper factory reported.
struct Instance {
    tsa::Mutex mutex;
    ORV::OrvStatusManager* manager GUARDED_BY(mutex) = nullptr;
    std::weak_ptr<ORV::OrvStatusManager> owner GUARDED_BY(mutex);
    bool handedOver GUARDED_BY(mutex) = false;
};

Instance& TheInstance() {
    static Instance instance;
    return instance;
}

}  // namespace

namespace ORV {

OrvStatusManager::OrvStatusManager() = default;

OrvStatusManager* OrvStatusManager::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    Instance& instance = TheInstance();
    tsa::MutexLock lock(instance.mutex);
    if (instance.manager != nullptr && instance.handedOver && instance.owner.expired()) {
        instance.manager = nullptr;  // its owner has deleted it
    }
    if (instance.manager == nullptr) {
        instance.manager = new OrvStatusManager();
        instance.owner.reset();
        instance.handedOver = false;
    }
    return instance.manager;
}

void OrvStatusManager::ClearAllErrors() {
    {
        std::lock_guard lock(mutex_);
        errors_.clear();
    }
    orvsim::TraceCall(kComponent, "ClearAllErrors");
}

void OrvStatusManager::Uninit() {
    orvsim::TraceCall(kComponent, "Uninit");
    std::lock_guard lock(mutex_);
    errors_.clear();
    state_ = "uninitialized";
}

}  // namespace ORV

namespace orvsim::client {

void StatusManagerHandedOver(const std::shared_ptr<ORV::OrvStatusManager>& owner) {
    Instance& instance = TheInstance();
    tsa::MutexLock lock(instance.mutex);
    if (owner != nullptr && owner.get() == instance.manager) {
        instance.owner = owner;
        instance.handedOver = true;
    }
}

}  // namespace orvsim::client
