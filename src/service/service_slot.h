#pragma once
// ServiceSlot: owns the process's one service object and lets any thread use it without
// racing its destruction.
//
// Threads: any. A Use pins the object: Retire empties the slot at once (later Acquire calls
// get an empty Use) and returns the object only after every Use taken before has ended.
// Whoever calls Retire must not hold a Use itself.

#include <functional>
#include <memory>

#include "base/annotated_mutex.h"
#include "service/orv_client_service.h"

class ServiceSlot {
  public:
    class Use {
      public:
        Use() = default;
        Use(Use&& other) noexcept : slot_(other.slot_), service_(other.service_) {
            other.slot_ = nullptr;
            other.service_ = nullptr;
        }
        Use& operator=(Use&&) = delete;
        Use(const Use&) = delete;
        ~Use() {
            if (slot_ != nullptr) {
                slot_->Release();
            }
        }

        OrvClientService* operator->() const { return service_; }
        explicit operator bool() const { return service_ != nullptr; }

      private:
        friend class ServiceSlot;
        Use(ServiceSlot* slot, OrvClientService* service) : slot_(slot), service_(service) {}
        ServiceSlot* slot_ = nullptr;
        OrvClientService* service_ = nullptr;
    };

    // Pins the current object; empty when there is none.
    Use Acquire() EXCLUDES(mutex_);

    // When the slot is empty, stores the object `make` creates and returns a Use of it;
    // otherwise creates nothing and returns an empty Use. `make` runs under the slot's lock.
    Use Install(const std::function<std::unique_ptr<OrvClientService>()>& make) EXCLUDES(mutex_);

    // Empties the slot and hands back the object once no Use of it remains.
    std::unique_ptr<OrvClientService> Retire() EXCLUDES(mutex_);

  private:
    void Release() EXCLUDES(mutex_);

    tsa::Mutex mutex_;
    tsa::CondVar released_;
    std::unique_ptr<OrvClientService> service_ GUARDED_BY(mutex_);
    int uses_ GUARDED_BY(mutex_) = 0;
};
