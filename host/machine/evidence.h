#pragma once
// Evidence: what the service and the stand-ins did during a run, stamped with the simulated
// machine's monotonic time as it happened: every log line (through a log sink) and every call
// into a stand-in (through the call trace's observer). Expectations, waits, the summary, the
// report and the timeline all read it from here.
//
// Threads: lines and calls arrive on the service's threads while the lock of the log or of the
// trace is held; the sink and the observer only append under this object's mutex, which is
// never held while calling out. Readers on any thread get copies.
//
// One Evidence at a time per process: it owns the trace observer slot while it lives.

#include <spdlog/common.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/annotated_mutex.h"
#include "host/machine/log_level.h"

namespace orvhost {

struct LogLine {
    std::size_t index = 0;  // position in the run's log, from 0
    LogLevel level = LogLevel::kDebug;
    std::uint32_t threadId = 0;
    std::string message;  // UTF-8, the message part only
    std::chrono::milliseconds at{0};
};

struct CallRecord {
    std::uint64_t sequence = 0;  // the trace's sequence number
    std::string component;
    std::string operation;
    std::vector<std::string> args;
    std::uint32_t threadId = 0;
    std::chrono::milliseconds at{0};
};

class Evidence {
  public:
    Evidence();   // starts recording
    ~Evidence();  // stops recording
    Evidence(const Evidence&) = delete;
    Evidence& operator=(const Evidence&) = delete;

    std::vector<LogLine> Lines() const;
    std::vector<CallRecord> Calls() const;
    std::size_t LineCount() const;
    std::uint64_t LastCallSequence() const;

    // Blocks until `satisfied` returns true or `realTimeout` passes; re-tests whenever new
    // evidence arrives and at least every 50 ms (for evidence recorded elsewhere, such as
    // bus publications). Returns the last result of `satisfied`.
    bool WaitUntil(const std::function<bool()>& satisfied,
                   std::chrono::milliseconds realTimeout) const;

    // Called by the sink and the observer.
    void AddLine(LogLevel level, std::uint32_t threadId, std::string message);
    void AddCall(CallRecord call);

  private:
    mutable tsa::Mutex mutex_;
    mutable tsa::CondVar arrived_;
    std::vector<LogLine> lines_ GUARDED_BY(mutex_);
    std::vector<CallRecord> calls_ GUARDED_BY(mutex_);
    spdlog::sink_ptr sink_;
};

}  // namespace orvhost
