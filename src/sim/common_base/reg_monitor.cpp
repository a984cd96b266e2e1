#include "platform/common_base/reg_monitor.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/annotated_mutex.h"
#include "sim/common_base/registry_access.h"
#include "sim/trace.h"
#include "winapi/scoped_handles.h"

namespace ORV {
namespace {

constexpr char kComponent[] = "ORV::CRegMonitor";
constexpr DWORD kNotifyFilter = REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME;
// One wait slot is the stop event; WaitForMultipleObjects takes at most 64 handles.
constexpr std::size_t kMaxWatches = MAXIMUM_WAIT_OBJECTS - 1;

// A watch: an open key whose change notification signals `changed` (auto reset). The
// notification is one-shot, so it is re-armed each time it fires.
struct Watch {
    orvwin::ScopedKey key;
    orvwin::ScopedHandle changed;
    std::wstring valueName;  // empty: any change of the key counts
    BOOL watchSubtree = FALSE;
    std::optional<orvsim::registry::RawValue> last;  // the value as last reported

    bool Arm() const {
        return RegNotifyChangeKeyValue(key.get(), watchSubtree, kNotifyFilter, changed.get(),
                                       TRUE) == ERROR_SUCCESS;
    }
};

}  // namespace

struct CRegMonitor::State {
    tsa::Mutex mutex;
    orvwin::ScopedHandle stopEvent GUARDED_BY(mutex);  // manual reset; set by Stop
    bool stopped GUARDED_BY(mutex) = false;
    std::vector<Watch> watches GUARDED_BY(mutex);
};

namespace {

void StopWaits(CRegMonitor::State& state) {
    tsa::MutexLock lock(state.mutex);
    state.stopped = true;
    if (state.stopEvent) {
        SetEvent(state.stopEvent.get());
    }
}

}  // namespace

CRegMonitor::CRegMonitor() : state_(std::make_unique<State>()) {}

CRegMonitor::~CRegMonitor() {
    StopWaits(*state_);
}

bool CRegMonitor::Init() {
    tsa::MutexLock lock(state_->mutex);
    if (!state_->stopEvent) {
        state_->stopEvent.reset(CreateEventW(nullptr, TRUE, state_->stopped, nullptr));
    }
    const bool ok = static_cast<bool>(state_->stopEvent);
    orvsim::TraceCall(kComponent, "Init", ok);
    return ok;
}

int CRegMonitor::AddMonitorKey(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                               int watchSubtree) {
    auto add = [&]() -> int {
        tsa::MutexLock lock(state_->mutex);
        if (!state_->stopEvent || state_->watches.size() >= kMaxWatches) {
            return -1;
        }
        Watch watch;
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_NOTIFY | KEY_QUERY_VALUE, &key) !=
            ERROR_SUCCESS) {
            return -1;
        }
        watch.key.reset(key);
        watch.changed.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        watch.valueName = valueName;
        watch.watchSubtree = (watchSubtree != 0 && valueName.empty()) ? TRUE : FALSE;
        if (!watch.changed || !watch.Arm()) {
            return -1;
        }
        if (!valueName.empty()) {
            watch.last = orvsim::registry::ReadRaw(watch.key.get(), valueName);
        }
        state_->watches.push_back(std::move(watch));
        return static_cast<int>(state_->watches.size() - 1);
    };
    const int index = add();
    orvsim::TraceCall(kComponent, "AddMonitorKey", root, subKey, valueName, watchSubtree, index);
    return index;
}

bool CRegMonitor::WaitForChange(DWORD& changedIndex, int timeoutMs) {
    orvsim::TraceCall(kComponent, "WaitForChange", timeoutMs);
    std::vector<HANDLE> handles;
    {
        tsa::MutexLock lock(state_->mutex);
        if (!state_->stopEvent || state_->stopped) {
            orvsim::TraceCall(kComponent, "WaitForChangeDone", false);
            return false;
        }
        handles.push_back(state_->stopEvent.get());
        for (const auto& watch : state_->watches) {
            handles.push_back(watch.changed.get());
        }
    }
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(timeoutMs, 0));
    for (;;) {
        DWORD wait = INFINITE;
        if (timeoutMs > 0) {
            const ULONGLONG now = GetTickCount64();
            wait = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        }
        const DWORD result =
            WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, wait);
        if (result <= WAIT_OBJECT_0 || result >= WAIT_OBJECT_0 + handles.size()) {
            // The stop event, a time-out or a failed wait.
            orvsim::TraceCall(kComponent, "WaitForChangeDone", false);
            return false;
        }
        const DWORD index = result - WAIT_OBJECT_0 - 1;
        tsa::MutexLock lock(state_->mutex);
        Watch& watch = state_->watches[index];
        // Re-arm before reading, so that a change after the read still signals.
        watch.Arm();
        if (!watch.valueName.empty()) {
            auto current = orvsim::registry::ReadRaw(watch.key.get(), watch.valueName);
            if (current == watch.last) {
                continue;  // another value of the key changed
            }
            watch.last = std::move(current);
        }
        changedIndex = index;
        orvsim::TraceCall(kComponent, "WaitForChangeDone", true, index);
        return true;
    }
}

void CRegMonitor::Stop() {
    orvsim::TraceCall(kComponent, "Stop");
    StopWaits(*state_);
}

}  // namespace ORV
