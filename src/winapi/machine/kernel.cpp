#include "winapi/machine/kernel.h"

#include <algorithm>
#include <cwctype>
#include <stdexcept>

#include "winapi/machine/handle_values.h"
#include "winapi/machine/thread_identity.h"
#include "winapi/win32/errors.h"
#include "winapi/win32/sync.h"

namespace winsim::detail {

namespace {

// Mutexes the current thread has acquired, so that they are abandoned when it ends.
struct OwnedMutexes {
    Kernel* kernel = nullptr;
    std::vector<std::weak_ptr<KernelObject>> mutexes;
    OwnedMutexes() = default;
    OwnedMutexes(const OwnedMutexes&) = delete;
    OwnedMutexes& operator=(const OwnedMutexes&) = delete;
    ~OwnedMutexes() {
        if (kernel != nullptr && !mutexes.empty()) {
            kernel->AbandonOwnedBy(CurrentOwnerToken(), mutexes);
        }
    }
};
thread_local OwnedMutexes t_owned;

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::towlower(text[i]) != std::towlower(prefix[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::wstring> NormalizeObjectName(std::wstring_view name) {
    for (std::wstring_view prefix :
         {std::wstring_view(L"Global\\"), std::wstring_view(L"Local\\")}) {
        if (StartsWithNoCase(name, prefix)) {
            name.remove_prefix(prefix.size());
            break;
        }
    }
    if (name.find(L'\\') != std::wstring_view::npos) {
        return std::nullopt;
    }
    return std::wstring(name);
}

Kernel::Kernel(Clock& clock) : clock_(clock) {
    clock_.AddWaiters(mu_, cv_);
}

HANDLE Kernel::AddHandle(ObjectPtr object) {
    const uintptr_t value = NextHandleValue();
    handles_.emplace(value, std::move(object));
    return ToHandle<HANDLE>(value);
}

Kernel::ObjectPtr Kernel::Lookup(HANDLE handle) const {
    const auto it = handles_.find(FromHandle(handle));
    return it == handles_.end() ? nullptr : it->second;
}

Kernel::ObjectPtr Kernel::FindNamed(const std::wstring& name) {
    const auto it = names_.find(name);
    if (it == names_.end()) {
        return nullptr;
    }
    ObjectPtr object = it->second.lock();
    if (!object) {
        names_.erase(it);
    }
    return object;
}

HANDLE Kernel::CreateNamed(KernelObject::Kind kind, const wchar_t* name, ObjectPtr fresh) {
    if (name == nullptr || *name == L'\0') {
        SetLastErrorCode(ERROR_SUCCESS);
        return AddHandle(std::move(fresh));
    }
    const std::optional<std::wstring> key = NormalizeObjectName(name);
    if (!key) {
        SetLastErrorCode(ERROR_PATH_NOT_FOUND);
        return nullptr;
    }
    if (ObjectPtr existing = FindNamed(*key)) {
        if (existing->kind != kind) {
            SetLastErrorCode(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        SetLastErrorCode(ERROR_ALREADY_EXISTS);
        return AddHandle(std::move(existing));
    }
    fresh->name = *key;
    names_[*key] = fresh;
    SetLastErrorCode(ERROR_SUCCESS);
    return AddHandle(std::move(fresh));
}

HANDLE Kernel::CreateEvent(bool manual_reset, bool initial_state, const wchar_t* name) {
    auto event = std::make_shared<KernelObject>();
    event->kind = KernelObject::Kind::kEvent;
    event->manual_reset = manual_reset;
    event->signaled = initial_state;
    tsa::MutexLock lock(mu_);
    return CreateNamed(KernelObject::Kind::kEvent, name, std::move(event));
}

HANDLE Kernel::CreateMutex(bool initial_owner, const wchar_t* name) {
    auto mutex = std::make_shared<KernelObject>();
    mutex->kind = KernelObject::Kind::kMutex;
    const ObjectPtr fresh = mutex;
    tsa::MutexLock lock(mu_);
    HANDLE handle = CreateNamed(KernelObject::Kind::kMutex, name, std::move(mutex));
    // Initial ownership applies only to a mutex this call created.
    if (handle != nullptr && initial_owner && Lookup(handle) == fresh) {
        Acquire(*fresh, fresh, CurrentOwnerToken());
    }
    return handle;
}

HANDLE Kernel::Open(KernelObject::Kind kind, const wchar_t* name) {
    if (name == nullptr) {
        SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::optional<std::wstring> key = NormalizeObjectName(name);
    if (!key) {
        SetLastErrorCode(ERROR_PATH_NOT_FOUND);
        return nullptr;
    }
    tsa::MutexLock lock(mu_);
    ObjectPtr object = FindNamed(*key);
    if (!object) {
        SetLastErrorCode(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    if (object->kind != kind) {
        SetLastErrorCode(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    SetLastErrorCode(ERROR_SUCCESS);
    return AddHandle(std::move(object));
}

bool Kernel::SetEvent(HANDLE handle) {
    tsa::MutexLock lock(mu_);
    const ObjectPtr object = Lookup(handle);
    if (!object || object->kind != KernelObject::Kind::kEvent) {
        SetLastErrorCode(ERROR_INVALID_HANDLE);
        return false;
    }
    object->signaled = true;
    cv_.NotifyAll();
    return true;
}

bool Kernel::ResetEvent(HANDLE handle) {
    tsa::MutexLock lock(mu_);
    const ObjectPtr object = Lookup(handle);
    if (!object || object->kind != KernelObject::Kind::kEvent) {
        SetLastErrorCode(ERROR_INVALID_HANDLE);
        return false;
    }
    object->signaled = false;
    return true;
}

bool Kernel::ReleaseMutex(HANDLE handle) {
    tsa::MutexLock lock(mu_);
    const ObjectPtr object = Lookup(handle);
    if (!object || object->kind != KernelObject::Kind::kMutex) {
        SetLastErrorCode(ERROR_INVALID_HANDLE);
        return false;
    }
    if (object->owner != CurrentOwnerToken()) {
        SetLastErrorCode(ERROR_NOT_OWNER);
        return false;
    }
    if (--object->recursion == 0) {
        object->owner = 0;
        object->owner_thread_id = 0;
        cv_.NotifyAll();
    }
    return true;
}

bool Kernel::Available(const KernelObject& object, uint64_t me) {
    if (object.kind == KernelObject::Kind::kEvent) {
        return object.signaled;
    }
    return object.owner == 0 || object.owner == me;
}

bool Kernel::Acquire(KernelObject& object, const ObjectPtr& ptr, uint64_t me) {
    if (object.kind == KernelObject::Kind::kEvent) {
        if (!object.manual_reset) {
            object.signaled = false;
        }
        return false;
    }
    const bool was_abandoned = object.abandoned;
    object.abandoned = false;
    if (object.owner != me) {
        object.owner = me;
        object.owner_thread_id = CurrentThreadId();
        object.recursion = 0;
        // Forget mutexes this thread no longer owns, then remember this one for its exit.
        std::erase_if(t_owned.mutexes, [me](const std::weak_ptr<KernelObject>& w) {
            const ObjectPtr m = w.lock();
            return !m || m->owner != me;
        });
        t_owned.kernel = this;
        t_owned.mutexes.push_back(ptr);
    }
    ++object.recursion;
    return was_abandoned;
}

std::optional<DWORD> Kernel::TrySatisfy(const std::vector<ObjectPtr>& objects, bool wait_all,
                                        uint64_t me) {
    if (!wait_all) {
        for (std::size_t i = 0; i < objects.size(); ++i) {
            if (Available(*objects[i], me)) {
                const bool abandoned = Acquire(*objects[i], objects[i], me);
                return (abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + static_cast<DWORD>(i);
            }
        }
        return std::nullopt;
    }
    if (!std::all_of(objects.begin(), objects.end(),
                     [me](const ObjectPtr& o) { return Available(*o, me); })) {
        return std::nullopt;
    }
    // Windows names no index for a wait-all: any abandoned mutex among them gives
    // WAIT_ABANDONED_0 itself.
    bool any_abandoned = false;
    for (const ObjectPtr& object : objects) {
        any_abandoned = Acquire(*object, object, me) || any_abandoned;
    }
    return any_abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0;
}

DWORD Kernel::Wait(const HANDLE* handles, DWORD count, bool wait_all, DWORD milliseconds) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS) {
        SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    if (handles == nullptr) {
        SetLastErrorCode(ERROR_NOACCESS);
        return WAIT_FAILED;
    }
    const uint64_t me = CurrentOwnerToken();
    const Clock::Nanos deadline =
        milliseconds == INFINITE ? Clock::kNever
                                 : clock_.DeadlineAfter(std::chrono::milliseconds(milliseconds));

    tsa::MutexLock lock(mu_);
    std::vector<ObjectPtr> objects;
    objects.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        ObjectPtr object = Lookup(handles[i]);
        if (!object) {
            SetLastErrorCode(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        // Wait-all cannot take one object twice; Windows refuses such a list.
        if (wait_all && std::find(objects.begin(), objects.end(), object) != objects.end()) {
            SetLastErrorCode(ERROR_INVALID_PARAMETER);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    for (;;) {
        if (const std::optional<DWORD> result = TrySatisfy(objects, wait_all, me)) {
            return *result;
        }
        if (!clock_.WaitStep(mu_, cv_, deadline)) {
            return WAIT_TIMEOUT;
        }
    }
}

bool Kernel::Close(HANDLE handle) {
    tsa::MutexLock lock(mu_);
    const auto it = handles_.find(FromHandle(handle));
    if (it == handles_.end()) {
        SetLastErrorCode(ERROR_INVALID_HANDLE);
        return false;
    }
    const std::wstring name = it->second->name;
    handles_.erase(it);
    if (!name.empty()) {
        FindNamed(name);  // drops the name once its last reference is gone
    }
    return true;
}

std::shared_ptr<KernelObject> Kernel::ReferenceEvent(HANDLE handle) {
    tsa::MutexLock lock(mu_);
    ObjectPtr object = Lookup(handle);
    if (!object || object->kind != KernelObject::Kind::kEvent) {
        return nullptr;
    }
    return object;
}

void Kernel::Signal(const std::shared_ptr<KernelObject>& event) {
    tsa::MutexLock lock(mu_);
    event->signaled = true;
    cv_.NotifyAll();
}

void Kernel::HoldMutexElsewhere(std::wstring_view name) {
    const std::optional<std::wstring> key = NormalizeObjectName(name);
    if (!key || key->empty()) {
        throw std::invalid_argument("invalid kernel object name");
    }
    tsa::MutexLock lock(mu_);
    ObjectPtr object = FindNamed(*key);
    if (!object) {
        object = std::make_shared<KernelObject>();
        object->kind = KernelObject::Kind::kMutex;
        object->name = *key;
        names_[*key] = object;
    }
    if (object->kind != KernelObject::Kind::kMutex) {
        throw std::invalid_argument("the named object is not a mutex");
    }
    if (object->owner == kElsewhereOwner) {
        return;
    }
    if (object->owner != 0) {
        throw std::invalid_argument("the mutex is owned by a thread of this process");
    }
    object->owner = kElsewhereOwner;
    object->owner_thread_id = 0;
    object->recursion = 1;
    object->abandoned = false;
    held_elsewhere_.push_back(std::move(object));
}

bool Kernel::ReleaseMutexElsewhere(std::wstring_view name, bool abandoned) {
    const std::optional<std::wstring> key = NormalizeObjectName(name);
    if (!key) {
        return false;
    }
    tsa::MutexLock lock(mu_);
    const ObjectPtr object = FindNamed(*key);
    if (!object || object->kind != KernelObject::Kind::kMutex || object->owner != kElsewhereOwner) {
        return false;
    }
    object->owner = 0;
    object->recursion = 0;
    object->abandoned = abandoned;
    std::erase(held_elsewhere_, object);
    cv_.NotifyAll();
    return true;
}

std::optional<objects::MutexState> Kernel::GetMutexState(std::wstring_view name) {
    const std::optional<std::wstring> key = NormalizeObjectName(name);
    if (!key) {
        return std::nullopt;
    }
    tsa::MutexLock lock(mu_);
    const ObjectPtr object = FindNamed(*key);
    if (!object || object->kind != KernelObject::Kind::kMutex) {
        return std::nullopt;
    }
    return objects::MutexState{object->owner != 0, object->owner == kElsewhereOwner,
                               object->owner_thread_id, object->abandoned};
}

bool Kernel::NamedObjectExists(std::wstring_view name) {
    const std::optional<std::wstring> key = NormalizeObjectName(name);
    if (!key) {
        return false;
    }
    tsa::MutexLock lock(mu_);
    return FindNamed(*key) != nullptr;
}

void Kernel::AbandonOwnedBy(uint64_t owner,
                            const std::vector<std::weak_ptr<KernelObject>>& mutexes) {
    tsa::MutexLock lock(mu_);
    bool any = false;
    for (const auto& weak : mutexes) {
        const ObjectPtr m = weak.lock();
        if (m && m->owner == owner) {
            m->owner = 0;
            m->owner_thread_id = 0;
            m->recursion = 0;
            m->abandoned = true;
            any = true;
        }
    }
    if (any) {
        cv_.NotifyAll();
    }
}

void Kernel::Reset() {
    std::unordered_map<uintptr_t, ObjectPtr> handles;
    std::vector<ObjectPtr> held;
    {
        tsa::MutexLock lock(mu_);
        handles.swap(handles_);
        held.swap(held_elsewhere_);
        names_.clear();
        cv_.NotifyAll();
    }
}

}  // namespace winsim::detail
