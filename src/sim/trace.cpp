#include "sim/trace.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <iterator>

#include "sim/common_base/unicode.h"
#include "winapi/annotated_mutex.h"
#include "winapi/windows_api.h"

namespace orvsim {
namespace {

constexpr std::size_t kDefaultCapacity = 200000;

class CallTrace {
  public:
    void Append(TraceEntry entry) EXCLUDES(mutex_) {
        {
            tsa::MutexLock lock(mutex_);
            entry.sequence = nextSequence_++;
            entries_.push_back(std::move(entry));
            if (observer_) {
                observer_(entries_.back());
            }
            TrimLocked();
        }
        appended_.NotifyAll();
    }

    std::vector<TraceEntry> Select(const std::function<bool(const TraceEntry&)>& match)
        EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        std::vector<TraceEntry> out;
        std::copy_if(entries_.begin(), entries_.end(), std::back_inserter(out), match);
        return out;
    }

    std::size_t Count(const std::function<bool(const TraceEntry&)>& match) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), match));
    }

    void Clear() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        entries_.clear();
    }

    void SetCapacity(std::size_t capacity) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        capacity_ = std::max<std::size_t>(capacity, 1);
        TrimLocked();
    }

    void SetObserver(TraceObserver observer) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        observer_ = std::move(observer);
    }

    std::uint64_t Dropped() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return dropped_;
    }

    bool WaitFor(const std::function<bool(const TraceEntry&)>& match,
                 std::chrono::milliseconds timeout) EXCLUDES(mutex_) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        tsa::MutexLock lock(mutex_);
        while (!std::any_of(entries_.begin(), entries_.end(), match)) {
            if (!appended_.WaitUntil(mutex_, deadline) &&
                std::chrono::steady_clock::now() >= deadline) {
                return std::any_of(entries_.begin(), entries_.end(), match);
            }
        }
        return true;
    }

  private:
    void TrimLocked() REQUIRES(mutex_) {
        while (entries_.size() > capacity_) {
            entries_.pop_front();
            ++dropped_;
        }
    }

    tsa::Mutex mutex_;
    tsa::CondVar appended_;
    std::deque<TraceEntry> entries_ GUARDED_BY(mutex_);
    std::uint64_t nextSequence_ GUARDED_BY(mutex_) = 1;
    std::uint64_t dropped_ GUARDED_BY(mutex_) = 0;
    std::size_t capacity_ GUARDED_BY(mutex_) = kDefaultCapacity;
    TraceObserver observer_ GUARDED_BY(mutex_);
};

// Never destroyed: stand-ins may still trace from threads that outlive static destruction.
CallTrace& TheTrace() {
    static auto* trace = new CallTrace();
    return *trace;
}

thread_local bool t_silenced = false;

bool Matches(const TraceEntry& entry, std::string_view component, std::string_view operation) {
    return entry.component == component && (operation.empty() || entry.operation == operation);
}

}  // namespace

TraceSilence::TraceSilence() : previous_(t_silenced) {
    t_silenced = true;
}

TraceSilence::~TraceSilence() {
    t_silenced = previous_;
}

void Trace(std::string_view component, std::string_view operation,
           std::vector<std::string> arguments) {
    if (t_silenced) {
        return;
    }
    TraceEntry entry;
    entry.component = component;
    entry.operation = operation;
    entry.arguments = std::move(arguments);
    entry.threadId = static_cast<std::uint32_t>(GetCurrentThreadId());
    TheTrace().Append(std::move(entry));
}

std::vector<TraceEntry> TraceSnapshot() {
    return TheTrace().Select([](const TraceEntry&) { return true; });
}

std::vector<TraceEntry> TraceOf(std::string_view component, std::string_view operation) {
    return TheTrace().Select(
        [&](const TraceEntry& entry) { return Matches(entry, component, operation); });
}

std::size_t TraceCount(std::string_view component, std::string_view operation) {
    return TheTrace().Count(
        [&](const TraceEntry& entry) { return Matches(entry, component, operation); });
}

void ClearTrace() {
    TheTrace().Clear();
}

void SetTraceCapacity(std::size_t maxEntries) {
    TheTrace().SetCapacity(maxEntries);
}

std::uint64_t TraceDropped() {
    return TheTrace().Dropped();
}

bool WaitForTrace(const std::function<bool(const TraceEntry&)>& match,
                  std::chrono::milliseconds timeout) {
    return TheTrace().WaitFor(match, timeout);
}

void SetTraceObserver(TraceObserver observer) {
    TheTrace().SetObserver(std::move(observer));
}

std::string FormatTraceEntry(const TraceEntry& entry) {
    std::string line = "[" + std::to_string(entry.sequence) + "] " +
                       std::to_string(entry.threadId) + " " + entry.component +
                       "::" + entry.operation + "(";
    for (std::size_t i = 0; i < entry.arguments.size(); ++i) {
        line += (i == 0 ? "" : ", ") + entry.arguments[i];
    }
    return line + ")";
}

std::string TraceText(std::wstring_view text) {
    return WideToUtf8(text);
}

std::string TraceText(const wchar_t* text) {
    return text == nullptr ? std::string("null") : WideToUtf8(text);
}

std::string TraceText(std::string_view text) {
    return std::string(text);
}

std::string TraceText(const char* text) {
    return text == nullptr ? std::string("null") : std::string(text);
}

std::string TraceText(bool value) {
    return value ? "true" : "false";
}

std::string TraceText(const void* pointer) {
    if (pointer == nullptr) {
        return "null";
    }
    char buffer[2 + 2 * sizeof(void*) + 1];
    std::snprintf(buffer, sizeof buffer, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pointer)));
    return buffer;
}

std::string TraceText(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) {
        return "HKEY_LOCAL_MACHINE";
    }
    if (key == HKEY_CURRENT_USER) {
        return "HKEY_CURRENT_USER";
    }
    if (key == HKEY_USERS) {
        return "HKEY_USERS";
    }
    if (key == HKEY_CLASSES_ROOT) {
        return "HKEY_CLASSES_ROOT";
    }
    return TraceText(static_cast<const void*>(key));
}

}  // namespace orvsim
