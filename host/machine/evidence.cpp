#include "host/machine/evidence.h"

#include <spdlog/details/null_mutex.h>
#include <spdlog/sinks/base_sink.h>

#include <algorithm>
#include <mutex>

#include "sim/common_base/log_control.h"
#include "sim/trace.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

namespace {

using std::chrono::milliseconds;

LogLevel FromSpdlog(spdlog::level::level_enum level) {
    switch (level) {
        case spdlog::level::err:
        case spdlog::level::critical:
            return LogLevel::kError;
        case spdlog::level::warn:
            return LogLevel::kWarning;
        case spdlog::level::info:
            return LogLevel::kInfo;
        default:
            return LogLevel::kDebug;
    }
}

// Hands every line to the Evidence; the log calls it with its own lock held, one line at a
// time, so no lock of the sink's own is needed.
class EvidenceSink final : public spdlog::sinks::base_sink<spdlog::details::null_mutex> {
  public:
    explicit EvidenceSink(Evidence& evidence) : evidence_(evidence) {}

  protected:
    void sink_it_(const spdlog::details::log_msg& msg) override {
        evidence_.AddLine(FromSpdlog(msg.level), static_cast<std::uint32_t>(msg.thread_id),
                          std::string(msg.payload.data(), msg.payload.size()));
    }
    void flush_() override {}

  private:
    Evidence& evidence_;
};

}  // namespace

Evidence::Evidence() : sink_(std::make_shared<EvidenceSink>(*this)) {
    orvsim::AddLogSink(sink_);
    orvsim::SetTraceObserver([this](const orvsim::TraceEntry& entry) {
        AddCall(CallRecord{entry.sequence, entry.component, entry.operation, entry.arguments,
                           entry.threadId, milliseconds(0)});
    });
}

Evidence::~Evidence() {
    orvsim::SetTraceObserver({});
    orvsim::RemoveLogSink(sink_);
}

std::vector<LogLine> Evidence::Lines() const {
    tsa::MutexLock lock(mutex_);
    return lines_;
}

std::vector<CallRecord> Evidence::Calls() const {
    tsa::MutexLock lock(mutex_);
    return calls_;
}

std::size_t Evidence::LineCount() const {
    tsa::MutexLock lock(mutex_);
    return lines_.size();
}

std::uint64_t Evidence::LastCallSequence() const {
    tsa::MutexLock lock(mutex_);
    return calls_.empty() ? 0 : calls_.back().sequence;
}

bool Evidence::WaitUntil(const std::function<bool()>& satisfied,
                         std::chrono::milliseconds realTimeout) const {
    constexpr milliseconds kRetest{50};
    const auto deadline = std::chrono::steady_clock::now() + realTimeout;
    for (;;) {
        if (satisfied()) {
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return false;
        }
        tsa::MutexLock lock(mutex_);
        arrived_.WaitUntil(mutex_, std::min(deadline, now + kRetest));
    }
}

void Evidence::AddLine(LogLevel level, std::uint32_t threadId, std::string message) {
    const milliseconds at = winsim::clock::MonotonicNow();
    {
        tsa::MutexLock lock(mutex_);
        lines_.push_back(LogLine{lines_.size(), level, threadId, std::move(message), at});
    }
    arrived_.NotifyAll();
}

void Evidence::AddCall(CallRecord call) {
    call.at = winsim::clock::MonotonicNow();
    {
        tsa::MutexLock lock(mutex_);
        calls_.push_back(std::move(call));
    }
    arrived_.NotifyAll();
}

}  // namespace orvhost
