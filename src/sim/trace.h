#pragma once
// The process-wide call trace of the stand-ins.
//
// Every call into a stand-in of a sibling library appends one entry: component, operation,
// the arguments rendered as text, and the calling thread's id (GetCurrentThreadId). Tests and
// orvhost read and clear it; the logger is not traced, since the log is its own record.
//
// Thread safety: every function here may be called from any thread at any time. Entries keep
// the order in which their appends took the trace's lock; `sequence` numbers that order and
// keeps counting across ClearTrace, so a reader can tell two snapshots apart.

#include <chrono>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "winapi/windows_api.h"

namespace orvsim {

struct TraceEntry {
    std::uint64_t sequence = 0;
    std::string component;               // class or library, e.g. "AgentInitializer"
    std::string operation;               // member, e.g. "InitializeAllAgents"
    std::vector<std::string> arguments;  // each argument as text (UTF-8), in call order
    std::uint32_t threadId = 0;          // GetCurrentThreadId() of the caller
};

// Appends one entry. Throws when an arranged failure (below) matches it.
void Trace(std::string_view component, std::string_view operation,
           std::vector<std::string> arguments = {});

// --- Arranged exceptions ----------------------------------------------------------------
// A traced call can be made to throw, so that the client's handling of a sibling library that
// throws can be exercised. Trace records the matching entry first and then, outside the
// trace's lock, throws: std::runtime_error("arranged failure of Component::operation") or
// std::bad_array_new_length (which carries no text of its own).
//
// Where the call's effect stands depends on where its stand-in traces it. Most trace at entry,
// before they do anything, so the call has no effect; a call that changes state at once traces
// once the change can be seen (e.g. ORVPublisherSubscriber::Notify has queued its
// notification, SetStopRequest has set the request, the registry helper's writes and the
// smart-message deletions are in the registry, the helper factory's setters have filled their
// slot); a call that takes time traces "<call>" at its start and "<call>Done" at
// its end, so arranging the "...Done" entry throws after the work was done.
//
// Every call the client makes into a stand-in on its own thread may be arranged; the
// stand-ins keep their locks in RAII guards and leave their state whole when a trace throws.
// Refused with std::invalid_argument: an empty component or operation, destructors (an
// operation starting with "~"), and the entries the stand-ins make on threads of their own or
// while handling another failure, where nothing could catch it:
// ORVPublisherSubscriber::HandlerFailed (the bus's delivery thread, inside its catch) and
// ConfigPolicyAgent::AnnounceFullInit (the announcer's thread). The logger is not traced, so
// it cannot be made to throw. A call under a TraceSilence is neither recorded nor thrown from.
// An arrangement for a call no stand-in makes is accepted and never fires.
enum class ArrangedException { kRuntimeError, kBadArrayNewLength };

// The next `times` matching calls throw `kind` (every call, until cleared, when `times` <= 0).
// A second arrangement for the same call replaces the first. Any thread.
void ArrangeThrow(std::string_view component, std::string_view operation, ArrangedException kind,
                  int times = 1);

// Removes every arranged exception. ResetCommonBase and ResetClient do too; ClearTrace not.
void ClearArrangedThrows();

// --- Arranged pauses ---------------------------------------------------------------------
// A test can hold a call of a stand-in at a chosen point to act while the caller is inside
// it: `whilePaused` runs once, for the next matching call, on the caller's thread, after the
// entry was recorded and outside the trace's lock (so it may wait for other threads, which
// may trace meanwhile). The call then goes on, or throws when that is arranged too. A second
// arrangement for the same call replaces the first. Any thread.
void ArrangePause(std::string_view component, std::string_view operation,
                  std::function<void()> whilePaused);

// Removes every pause not yet taken. ResetCommonBase and ResetClient do too.
void ClearArrangedPauses();

// --- Arranged delays ---------------------------------------------------------------------
// A traced call can be made slow, to place another event of the machine while the caller is
// inside it: the entry is recorded, then the caller sleeps until `duration` of machine time
// has passed since the recording (the simulated clock's Sleep, so the clock scale applies and
// advancing the clock ends it early, also an advance made right after the recording),
// outside the trace's lock, and then goes on (after a pause, before a throw, when those are
// arranged too). The next `times` matching calls are held (every call, until cleared, when
// `times` <= 0). A second arrangement for the same call replaces the first. Refused with
// std::invalid_argument as ArrangeThrow refuses, except that destructors and the stand-ins'
// own threads may be held: a slow call there ends nothing. Any thread.
void ArrangeDelay(std::string_view component, std::string_view operation,
                  std::chrono::milliseconds duration, int times = 1);

// Why the call cannot be arranged to be slow; empty when it can.
std::string ArrangeDelayRefusal(std::string_view component, std::string_view operation);

// Removes every arranged delay. ResetCommonBase and ResetClient do too; ClearTrace not.
void ClearArrangedDelays();

// Why the call cannot be arranged to throw; empty when it can.
std::string ArrangeThrowRefusal(std::string_view component, std::string_view operation);

// A copy of every entry still held, oldest first.
std::vector<TraceEntry> TraceSnapshot();

// Entries of one component (and, if `operation` is not empty, of one operation), oldest first.
std::vector<TraceEntry> TraceOf(std::string_view component, std::string_view operation = {});

// Number of entries of one component (and operation, if given).
std::size_t TraceCount(std::string_view component, std::string_view operation = {});

// Drops every entry. Sequence numbers go on from where they were.
void ClearTrace();

// While one lives on a thread, Trace on that thread records nothing. Stand-ins put one around
// the calls they make into each other (the bus reading a notification it was handed), which
// are not calls of the client and would only blur what the client did.
class TraceSilence {
  public:
    TraceSilence();
    ~TraceSilence();
    TraceSilence(const TraceSilence&) = delete;
    TraceSilence& operator=(const TraceSilence&) = delete;

  private:
    bool previous_;
};

// The trace keeps at most this many entries and drops the oldest beyond it, so that a host
// running for days does not grow without bound. TraceDropped counts what was dropped.
void SetTraceCapacity(std::size_t maxEntries);
std::uint64_t TraceDropped();

// Blocks until an entry held by the trace satisfies `match` or `timeout` (real time) passes.
// Returns whether one did. For tests that wait for work done on another thread.
bool WaitForTrace(const std::function<bool(const TraceEntry&)>& match,
                  std::chrono::milliseconds timeout);

// Called with every entry as it is appended, on the appending thread, while the trace's lock
// is held, so an observer sees entries in sequence order and at the moment they happen (orvhost
// stamps them with the machine's time). It must be quick and must not call into the trace.
// One observer at a time; an empty function removes it.
using TraceObserver = std::function<void(const TraceEntry&)>;
void SetTraceObserver(TraceObserver observer);

// One entry as a single line: "[seq] tid component::operation(arg, arg)".
std::string FormatTraceEntry(const TraceEntry& entry);

// --- Rendering of arguments -------------------------------------------------------------

std::string TraceText(std::wstring_view text);  // UTF-8 of the wide text
std::string TraceText(const wchar_t* text);     // "null" for a null pointer
std::string TraceText(std::string_view text);
std::string TraceText(const char* text);
std::string TraceText(bool value);
std::string TraceText(const void* pointer);  // "null" or "0x..." (handles, objects)
std::string TraceText(HKEY key);  // a predefined root by its name, e.g. "HKEY_LOCAL_MACHINE"

template <std::integral T>
requires(!std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, wchar_t>) std::string
    TraceText(T value) {
    return std::to_string(value);
}

template <class T>
requires std::is_enum_v<T> std::string TraceText(T value) {
    return std::to_string(static_cast<std::underlying_type_t<T>>(value));
}

// Appends one entry with each argument rendered by TraceText.
template <class... Args>
void TraceCall(std::string_view component, std::string_view operation, const Args&... args) {
    std::vector<std::string> arguments;
    arguments.reserve(sizeof...(Args));
    (arguments.push_back(TraceText(args)), ...);
    Trace(component, operation, std::move(arguments));
}

}  // namespace orvsim
