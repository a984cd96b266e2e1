#include "host/machine/service_host.h"

#include <fmt/format.h>

#include <cstddef>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>

#include "service/entry_points.h"
#include "sim/common_base/log_control.h"
#include "sim/trace.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

namespace {

using std::chrono::milliseconds;

bool WaitForMessage(std::wstring_view message, milliseconds realTimeout) {
    return orvsim::WaitForLog(
        [message](const orvsim::LogRecord& record) { return record.message == message; },
        realTimeout);
}

std::uint32_t ThisThread() {
    return static_cast<std::uint32_t>(GetCurrentThreadId());
}

std::string Describe(const std::exception& error) {
    if (dynamic_cast<const std::bad_array_new_length*>(&error) != nullptr) {
        return "std::bad_array_new_length";
    }
    if (dynamic_cast<const std::runtime_error*>(&error) != nullptr) {
        return std::string("std::runtime_error: ") + error.what();
    }
    return std::string("std::exception: ") + error.what();
}

// Runs one entry point and returns what escaped it. A real service host would die of it; this
// one reports it instead.
template <class Entry>
std::optional<std::string> Contained(Entry&& entry) {
    try {
        entry();
    } catch (const std::exception& error) {
        return Describe(error);
    } catch (...) {
        return std::string("an exception of unknown type");
    }
    return std::nullopt;
}

}  // namespace

ServiceHost::ServiceHost(SERVICE_STATUS_HANDLE statusHandle) : statusHandle_(statusHandle) {}

ServiceHost::~ServiceHost() {
    std::vector<std::thread> threads;
    {
        tsa::MutexLock lock(mutex_);
        threads.swap(startThreads_);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}

std::size_t ServiceHost::BeginEntryLocked(const char* entry) {
    EntryCall call;
    call.entry = entry;
    call.threadId = ThisThread();
    call.began = winsim::clock::MonotonicNow();
    entries_.push_back(std::move(call));
    return entries_.size() - 1;
}

void ServiceHost::EndEntry(std::size_t index, std::optional<std::string> escaped) {
    const milliseconds now = winsim::clock::MonotonicNow();
    tsa::MutexLock lock(mutex_);
    entries_[index].returned = now;
    entries_[index].escaped = std::move(escaped);
    entries_[index].created = true;
}

std::shared_future<std::optional<std::string>> ServiceHost::Start(bool escapeExpected) {
    auto ended = std::make_shared<std::promise<std::optional<std::string>>>();
    std::shared_future<std::optional<std::string>> result = ended->get_future().share();
    tsa::MutexLock lock(mutex_);
    // Recorded now, so that a stop called next knows to wait for it.
    const std::size_t entry = BeginEntryLocked("OnStart");
    entries_[entry].threadId = 0;
    entries_[entry].escapeExpected = escapeExpected;
    startThreads_.emplace_back([this, ended, entry] {
        {
            tsa::MutexLock record(mutex_);
            entries_[entry].threadId = ThisThread();
        }
        std::optional<std::string> escaped = Contained([this] { OnStart(statusHandle_); });
        EndEntry(entry, escaped);
        ended->set_value(std::move(escaped));
    });
    return result;
}

bool ServiceHost::WaitForStartReturned(milliseconds realTimeout) {
    return WaitForMessage(L"OrvClientService::OnStart: Setting an event for service start",
                          realTimeout);
}

bool ServiceHost::WaitForFullInit(milliseconds realTimeout) {
    // The worker writes this line right after the agents' full initialisation.
    if (!WaitForMessage(L"OrvClientService::OrvWorkerThread: Waiting on service stop event",
                        realTimeout)) {
        return false;
    }
    const milliseconds now = winsim::clock::MonotonicNow();
    tsa::MutexLock lock(mutex_);
    fullInitAt_ = now;
    return true;
}

void ServiceHost::SendControl(DWORD control, DWORD eventType, void* eventData) {
    const DeliveredControl delivered{control, eventType, eventData != nullptr, ThisThread(),
                                     winsim::clock::MonotonicNow()};
    std::size_t index = 0;
    {
        tsa::MutexLock lock(mutex_);
        index = controls_.size();
        controls_.push_back(delivered);
    }
    const DWORD returned = OnServiceControlHandle(control, eventType, eventData, nullptr);
    tsa::MutexLock lock(mutex_);
    controls_[index].returned = returned;
}

void ServiceHost::SendSessionChange(DWORD reason, DWORD sessionId) {
    WTSSESSION_NOTIFICATION notification{};
    notification.cbSize = sizeof(notification);
    notification.dwSessionId = sessionId;
    // The library copies what it needs before the call returns, as with the real SCM.
    SendControl(SERVICE_CONTROL_SESSIONCHANGE, reason, &notification);
}

void ServiceHost::SendPowerEvent(DWORD eventType) {
    SendControl(SERVICE_CONTROL_POWEREVENT, eventType);
}

void ServiceHost::SendPowerSetting(const GUID& setting, const std::vector<std::uint8_t>& data) {
    // The record ends in a variable-length byte array, as Windows lays it out; 64-bit words
    // keep it aligned.
    const std::size_t dataOffset = offsetof(POWERBROADCAST_SETTING, Data);
    std::vector<std::uint64_t> storage((dataOffset + data.size() + sizeof(std::uint64_t)) /
                                       sizeof(std::uint64_t));
    void* raw = storage.data();
    auto* record = static_cast<POWERBROADCAST_SETTING*>(raw);
    record->PowerSetting = setting;
    record->DataLength = static_cast<DWORD>(data.size());
    if (!data.empty()) {
        std::memcpy(static_cast<unsigned char*>(raw) + dataOffset, data.data(), data.size());
    }
    SendControl(SERVICE_CONTROL_POWEREVENT, PBT_POWERSETTINGCHANGE, record);
}

void ServiceHost::SendTimeChange(int64_t oldFileTime, int64_t newFileTime) {
    SERVICE_TIMECHANGE_INFO info{};
    info.liOldTime.QuadPart = oldFileTime;
    info.liNewTime.QuadPart = newFileTime;
    SendControl(SERVICE_CONTROL_TIMECHANGE, 0, &info);
}

void ServiceHost::ChangeClock(milliseconds delta) {
    const auto before = winsim::clock::WallNow();
    winsim::ChangeSystemTime(delta);
    const auto after = winsim::clock::WallNow();
    SendTimeChange(winsim::clock::ToFileTime(before), winsim::clock::ToFileTime(after));
}

bool ServiceHost::StartsCreated(std::string& waitingFor) {
    std::vector<std::size_t> pending;
    std::vector<std::uint32_t> threads;
    {
        tsa::MutexLock lock(mutex_);
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].entry == "OnStart" && !entries_[i].created) {
                pending.push_back(i);
                threads.push_back(entries_[i].threadId);
            }
        }
    }
    for (std::size_t i = 0; i < pending.size(); ++i) {
        // OnStart's first call into a sibling library after setting up the log comes from
        // the service object's own start: the object exists.
        const std::uint32_t thread = threads[i];
        const bool created = thread != 0 && orvsim::WaitForTrace(
                                                [thread](const orvsim::TraceEntry& call) {
                                                    return call.threadId == thread &&
                                                           !(call.component == "ORV::utility" &&
                                                             call.operation == "InitLog");
                                                },
                                                milliseconds(0));
        tsa::MutexLock lock(mutex_);
        entries_[pending[i]].created = entries_[pending[i]].created || created;
        if (!entries_[pending[i]].created) {
            waitingFor = "OnStart has not created the service object";
            return false;
        }
    }
    return true;
}

StopResult ServiceHost::Stop(milliseconds creationTimeout) {
    constexpr milliseconds kLook{5};
    const auto deadline = std::chrono::steady_clock::now() + creationTimeout;
    std::string waitingFor;
    while (!StartsCreated(waitingFor)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return StopResult{fmt::format("OnStop was not called: {} within {} ms", waitingFor,
                                          creationTimeout.count()),
                              std::nullopt};
        }
        std::this_thread::sleep_for(kLook);
    }
    std::size_t entry = 0;
    {
        tsa::MutexLock lock(mutex_);
        entry = BeginEntryLocked("OnStop");
    }
    std::optional<std::string> escaped = Contained([] { OnStop(); });
    EndEntry(entry, escaped);
    JoinStartThreads();
    return StopResult{std::nullopt, std::move(escaped)};
}

bool ServiceHost::ServiceMayRun() const {
    tsa::MutexLock lock(mutex_);
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        if (entry->entry == "OnStop") {
            return false;
        }
        if (entry->entry == "OnStart") {
            return true;
        }
    }
    return false;
}

void ServiceHost::JoinStartThreads() {
    tsa::MutexLock joining(joinMutex_);
    std::vector<std::thread> threads;
    {
        tsa::MutexLock lock(mutex_);
        threads.swap(startThreads_);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}

int ServiceHost::ControlsDelivered() const {
    tsa::MutexLock lock(mutex_);
    return static_cast<int>(controls_.size());
}

std::vector<DeliveredControl> ServiceHost::Controls() const {
    tsa::MutexLock lock(mutex_);
    return controls_;
}

std::vector<EntryCall> ServiceHost::EntryCalls() const {
    tsa::MutexLock lock(mutex_);
    return entries_;
}

std::optional<milliseconds> ServiceHost::TimeToFullInit() const {
    tsa::MutexLock lock(mutex_);
    if (!fullInitAt_) {
        return std::nullopt;
    }
    for (const EntryCall& entry : entries_) {
        if (entry.entry == "OnStart") {
            return *fullInitAt_ - entry.began;
        }
    }
    return std::nullopt;
}

std::optional<milliseconds> ServiceHost::TimeToStop() const {
    tsa::MutexLock lock(mutex_);
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        if (entry->entry == "OnStop" && entry->returned) {
            return *entry->returned - entry->began;
        }
    }
    return std::nullopt;
}

}  // namespace orvhost
