#include "sim/trace.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <iterator>
#include <limits>
#include <map>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

#include "base/annotated_mutex.h"
#include "base/unicode.h"
#include "sim/common_base/machine_time.h"
#include "sim/counted_arrangements.h"
#include "winapi/windows_api.h"

namespace orvsim {
namespace {

constexpr std::size_t kDefaultCapacity = 200000;

struct RefusedCall {
    std::string_view component;
    std::string_view operation;
    std::string_view why;
};

// Entries traced where an exception would end the process rather than reach the client.
constexpr RefusedCall kRefusedCalls[] = {
    {"ORVPublisherSubscriber", "HandlerFailed",
     "it is traced by the bus's delivery thread while it handles a subscriber's exception"},
    {"ConfigPolicyAgent", "AnnounceFullInit",
     "it is traced on the full-init announcer's own thread, where nothing catches"},
};

using CallKey = std::pair<std::string, std::string>;

// What an entry asks of its caller once the trace's lock is released.
struct Arranged {
    std::optional<std::chrono::milliseconds> delay;
    std::function<void()> pause;
    std::optional<ArrangedException> exception;
};

class CallTrace {
  public:
    Arranged Append(TraceEntry entry) EXCLUDES(mutex_) {
        Arranged arranged;
        {
            tsa::MutexLock lock(mutex_);
            const CallKey call(entry.component, entry.operation);
            arranged.exception = throws_.Take(call);
            arranged.pause = pauses_.Take(call).value_or(nullptr);
            arranged.delay = delays_.Take(call);
            entry.sequence = nextSequence_++;
            entries_.push_back(std::move(entry));
            if (observer_) {
                observer_(entries_.back());
            }
            TrimLocked();
        }
        appended_.NotifyAll();
        return arranged;
    }

    void ArrangePause(CallKey call, std::function<void()> pause) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        pauses_.Arrange(std::move(call), std::move(pause), 1);
    }

    void ArrangeThrow(CallKey call, ArrangedException kind, int times) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        throws_.Arrange(std::move(call), kind, times);
    }

    void ArrangeDelay(CallKey call, std::chrono::milliseconds duration, int times)
        EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        delays_.Arrange(std::move(call), duration, times);
    }

    void ClearPauses() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        pauses_.Clear();
    }

    void ClearThrows() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        throws_.Clear();
    }

    void ClearDelays() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        delays_.Clear();
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
    CountedArrangements<CallKey, ArrangedException> throws_ GUARDED_BY(mutex_);
    CountedArrangements<CallKey, std::function<void()>> pauses_ GUARDED_BY(mutex_);
    CountedArrangements<CallKey, std::chrono::milliseconds> delays_ GUARDED_BY(mutex_);
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
    // Read before the entry is recorded: a clock jump made once the entry can be seen ends
    // the hold, however soon after the recording it comes.
    const std::uint64_t now = MachineTickAfter(std::chrono::milliseconds(0));
    const Arranged arranged = TheTrace().Append(std::move(entry));
    if (arranged.delay) {
        SleepUntilMachineTick(now + static_cast<std::uint64_t>(arranged.delay->count()));
    }
    if (arranged.pause) {
        arranged.pause();
    }
    if (!arranged.exception) {
        return;
    }
    if (*arranged.exception == ArrangedException::kBadArrayNewLength) {
        throw std::bad_array_new_length();
    }
    throw std::runtime_error("arranged failure of " + std::string(component) +
                             "::" + std::string(operation));
}

std::string ArrangeThrowRefusal(std::string_view component, std::string_view operation) {
    if (component.empty() || operation.empty()) {
        return "a call to throw from needs both a component and an operation";
    }
    const std::string call = std::string(component) + "::" + std::string(operation);
    if (operation.starts_with("~")) {
        return call + " is a destructor; an exception out of it would end the process";
    }
    for (const RefusedCall& refused : kRefusedCalls) {
        if (refused.component == component && refused.operation == operation) {
            return call + " cannot throw: " + std::string(refused.why);
        }
    }
    return {};
}

std::string ArrangeDelayRefusal(std::string_view component, std::string_view operation) {
    if (component.empty() || operation.empty()) {
        return "a call to delay needs both a component and an operation";
    }
    return {};
}

void ArrangeDelay(std::string_view component, std::string_view operation,
                  std::chrono::milliseconds duration, int times) {
    if (std::string refusal = ArrangeDelayRefusal(component, operation); !refusal.empty()) {
        throw std::invalid_argument(refusal);
    }
    if (duration.count() < 0 || duration.count() > std::numeric_limits<DWORD>::max() - 1) {
        throw std::invalid_argument("a delay must be from 0 to 4294967294 ms");
    }
    TheTrace().ArrangeDelay(CallKey(component, operation), duration, times);
}

void ClearArrangedDelays() {
    TheTrace().ClearDelays();
}

void ArrangeThrow(std::string_view component, std::string_view operation, ArrangedException kind,
                  int times) {
    if (std::string refusal = ArrangeThrowRefusal(component, operation); !refusal.empty()) {
        throw std::invalid_argument(refusal);
    }
    TheTrace().ArrangeThrow(CallKey(component, operation), kind, times);
}

void ClearArrangedThrows() {
    TheTrace().ClearThrows();
}

void ArrangePause(std::string_view component, std::string_view operation,
                  std::function<void()> whilePaused) {
    TheTrace().ArrangePause(CallKey(component, operation), std::move(whilePaused));
}

void ClearArrangedPauses() {
    TheTrace().ClearPauses();
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
    return orvbase::WideToUtf8(text);
}

std::string TraceText(const wchar_t* text) {
    return text == nullptr ? std::string("null") : orvbase::WideToUtf8(text);
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
