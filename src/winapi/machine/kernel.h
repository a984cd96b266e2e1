#pragma once
// Kernel objects behind HANDLEs: events and mutexes, named ones in one namespace, and the
// waits on them, with Windows' semantics. Calls set the thread's last error as kernel32
// does. Thread-safe; blocking waits sleep on a condition variable, timed by the Clock.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/annotated_mutex.h"
#include "winapi/machine/clock.h"
#include "winapi/machine/mutex_state.h"
#include "winapi/win32/types.h"

namespace winsim::detail {

// One event or mutex. Its state is guarded by the mutex of the Kernel that made it.
struct KernelObject {
    enum class Kind { kEvent, kMutex };
    Kind kind = Kind::kEvent;
    std::wstring name;  // empty when unnamed
    // Events.
    bool manual_reset = false;
    bool signaled = false;
    // Mutexes: owner token (0: free), recursion count, abandoned by an owner that ended.
    uint64_t owner = 0;
    DWORD owner_thread_id = 0;
    unsigned recursion = 0;
    bool abandoned = false;
};

class Kernel {
  public:
    explicit Kernel(Clock& clock);

    HANDLE CreateEvent(bool manual_reset, bool initial_state, const wchar_t* name) EXCLUDES(mu_);
    HANDLE CreateMutex(bool initial_owner, const wchar_t* name) EXCLUDES(mu_);
    HANDLE Open(KernelObject::Kind kind, const wchar_t* name) EXCLUDES(mu_);
    bool SetEvent(HANDLE handle) EXCLUDES(mu_);
    bool ResetEvent(HANDLE handle) EXCLUDES(mu_);
    bool ReleaseMutex(HANDLE handle) EXCLUDES(mu_);
    DWORD Wait(const HANDLE* handles, DWORD count, bool wait_all, DWORD milliseconds) EXCLUDES(mu_);
    bool Close(HANDLE handle) EXCLUDES(mu_);

    // For other parts of the machine that signal an event later (registry notification):
    // the event object behind `handle`, kept alive even if the handle is closed.
    std::shared_ptr<KernelObject> ReferenceEvent(HANDLE handle) EXCLUDES(mu_);
    void Signal(const std::shared_ptr<KernelObject>& event) EXCLUDES(mu_);

    // Control API.
    void HoldMutexElsewhere(std::wstring_view name) EXCLUDES(mu_);
    bool ReleaseMutexElsewhere(std::wstring_view name, bool abandoned) EXCLUDES(mu_);
    std::optional<objects::MutexState> GetMutexState(std::wstring_view name) EXCLUDES(mu_);
    bool NamedObjectExists(std::wstring_view name) EXCLUDES(mu_);

    // Thread exit: mutexes still owned by `owner` become abandoned.
    void AbandonOwnedBy(uint64_t owner, const std::vector<std::weak_ptr<KernelObject>>& mutexes)
        EXCLUDES(mu_);

    // Closes every handle and forgets every name. Threads blocked in a wait keep waiting
    // on objects nobody can reach any more.
    void Reset() EXCLUDES(mu_);

  private:
    using ObjectPtr = std::shared_ptr<KernelObject>;

    HANDLE CreateNamed(KernelObject::Kind kind, const wchar_t* name, ObjectPtr fresh) REQUIRES(mu_);
    HANDLE AddHandle(ObjectPtr object) REQUIRES(mu_);
    ObjectPtr Lookup(HANDLE handle) const REQUIRES(mu_);
    ObjectPtr FindNamed(const std::wstring& name) REQUIRES(mu_);
    std::optional<DWORD> TrySatisfy(const std::vector<ObjectPtr>& objects, bool wait_all,
                                    uint64_t me) REQUIRES(mu_);
    static bool Available(const KernelObject& object, uint64_t me);
    // Takes the object for `me`; true when it was an abandoned mutex.
    bool Acquire(KernelObject& object, const ObjectPtr& ptr, uint64_t me) REQUIRES(mu_);

    Clock& clock_;
    mutable tsa::Mutex mu_;
    tsa::CondVar cv_;  // any object became signalled, or the clock's pace changed
    std::unordered_map<uintptr_t, ObjectPtr> handles_ GUARDED_BY(mu_);
    std::unordered_map<std::wstring, std::weak_ptr<KernelObject>> names_ GUARDED_BY(mu_);
    std::vector<ObjectPtr> held_elsewhere_ GUARDED_BY(mu_);
};

// The namespace key of an object name: the session prefixes "Global\" and "Local\" name
// the same namespace in the service's session 0. Empty when the name is malformed (a
// backslash after the prefix).
std::optional<std::wstring> NormalizeObjectName(std::wstring_view name);

}  // namespace winsim::detail
