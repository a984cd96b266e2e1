#include "service/service_slot.h"

ServiceSlot::Use ServiceSlot::Acquire() {
    tsa::MutexLock lock(mutex_);
    if (!service_) {
        return {};
    }
    ++uses_;
    return Use(this, service_.get());
}

ServiceSlot::Use ServiceSlot::Install(
    const std::function<std::unique_ptr<OrvClientService>()>& make) {
    tsa::MutexLock lock(mutex_);
    if (service_) {
        return {};
    }
    service_ = make();
    ++uses_;
    return Use(this, service_.get());
}

std::unique_ptr<OrvClientService> ServiceSlot::Retire() {
    tsa::MutexLock lock(mutex_);
    std::unique_ptr<OrvClientService> retired = std::move(service_);
    while (uses_ > 0) {
        released_.Wait(mutex_);
    }
    return retired;
}

void ServiceSlot::Release() {
    tsa::MutexLock lock(mutex_);
    if (--uses_ == 0) {
        released_.NotifyAll();
    }
}
