#include "platform/common_base/log.h"

#include <spdlog/details/log_msg.h>
#include <spdlog/sinks/basic_file_sink.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>

#include "base/annotated_mutex.h"
#include "base/unicode.h"
#include "sim/common_base/internal_reset.h"
#include "sim/common_base/log_control.h"
#include "sim/common_base/machine_time.h"
#include "sim/counted_arrangements.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace ORV {

// The file output of one Log. Guarded by the log hub's mutex (below).
struct Log::Sinks {
    std::shared_ptr<spdlog::sinks::sink> file;
    std::filesystem::path path;

    static Sinks& Of(Log& log) { return *log.sinks_; }
    static void ResetLevel(Log& log) { log.level_.store(kDebug); }
};

Log g_log;

}  // namespace ORV

namespace orvsim {
namespace {

constexpr std::size_t kDefaultMemoryCapacity = 100000;

spdlog::level::level_enum ToSpdlog(ORV::Log::Level level) {
    switch (level) {
        case ORV::Log::kError:
            return spdlog::level::err;
        case ORV::Log::kWarning:
            return spdlog::level::warn;
        case ORV::Log::kInfo:
            return spdlog::level::info;
        default:
            return spdlog::level::debug;
    }
}

std::filesystem::path DefaultDirectory() {
    const char* fromEnvironment = std::getenv("ORV_LOG_DIR");
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
        return fromEnvironment;
    }
    return std::filesystem::current_path();
}

// What every Log shares: the in-memory lines, the extra sinks and the log directory. One
// mutex serialises all writing, so the memory, the file and the extra sinks see the lines
// in the same order.
class LogHub {
  public:
    void Write(ORV::Log::Sinks& own, ORV::Log::Level level, const wchar_t* format,
               std::wstring message) EXCLUDES(mutex_) {
        const auto now = MachineNow();
        const auto threadId = static_cast<std::uint32_t>(GetCurrentThreadId());
        const std::string utf8 = orvbase::WideToUtf8(message);
        {
            tsa::MutexLock lock(mutex_);
            records_.push_back({nextSequence_++, level, threadId, std::move(message), format, now});
            while (records_.size() > capacity_) {
                records_.pop_front();
            }
            spdlog::details::log_msg line(now, spdlog::source_loc{}, "orv", ToSpdlog(level), utf8);
            line.thread_id = threadId;
            if (own.file) {
                own.file->log(line);
                own.file->flush();
            }
            for (const auto& sink : extraSinks_) {
                sink->log(line);
            }
        }
        recorded_.NotifyAll();
    }

    // How long the writer of `message` is to be held, if at all; counts the hold down.
    std::optional<std::chrono::milliseconds> TakeDelay(const std::wstring& message)
        EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return delays_.Take(message);
    }

    void ArrangeDelay(std::wstring message, std::chrono::milliseconds duration, int times)
        EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        delays_.Arrange(std::move(message), duration, times);
    }

    void ClearDelays() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        delays_.Clear();
    }

    void SetFile(ORV::Log::Sinks& own, std::shared_ptr<spdlog::sinks::sink> file,
                 std::filesystem::path path) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        own.file = std::move(file);
        own.path = std::move(path);
    }

    std::filesystem::path FilePath(ORV::Log::Sinks& own) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return own.path;
    }

    std::vector<LogRecord> Records() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return {records_.begin(), records_.end()};
    }

    void ClearRecords() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        records_.clear();
    }

    void SetCapacity(std::size_t capacity) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        capacity_ = std::max<std::size_t>(capacity, 1);
        while (records_.size() > capacity_) {
            records_.pop_front();
        }
    }

    bool WaitFor(const std::function<bool(const LogRecord&)>& match,
                 std::chrono::milliseconds timeout) EXCLUDES(mutex_) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        tsa::MutexLock lock(mutex_);
        while (!std::any_of(records_.begin(), records_.end(), match)) {
            if (!recorded_.WaitUntil(mutex_, deadline) &&
                std::chrono::steady_clock::now() >= deadline) {
                return std::any_of(records_.begin(), records_.end(), match);
            }
        }
        return true;
    }

    void AddSink(spdlog::sink_ptr sink) EXCLUDES(mutex_) {
        sink->set_pattern(kLogPattern);
        tsa::MutexLock lock(mutex_);
        extraSinks_.push_back(std::move(sink));
    }

    void RemoveSink(const spdlog::sink_ptr& sink) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        std::erase(extraSinks_, sink);
    }

    void SetDirectory(std::filesystem::path directory) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        directory_ = std::move(directory);
    }

    std::filesystem::path Directory() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        if (directory_.empty()) {
            directory_ = DefaultDirectory();
        }
        return directory_;
    }

  private:
    tsa::Mutex mutex_;
    tsa::CondVar recorded_;
    CountedArrangements<std::wstring, std::chrono::milliseconds> delays_ GUARDED_BY(mutex_);
    std::deque<LogRecord> records_ GUARDED_BY(mutex_);
    std::uint64_t nextSequence_ GUARDED_BY(mutex_) = 1;
    std::size_t capacity_ GUARDED_BY(mutex_) = kDefaultMemoryCapacity;
    std::vector<spdlog::sink_ptr> extraSinks_ GUARDED_BY(mutex_);
    std::filesystem::path directory_ GUARDED_BY(mutex_);
};

// Never destroyed: threads may still log while the process exits.
LogHub& Hub() {
    static auto* hub = new LogHub();
    return *hub;
}

}  // namespace

std::vector<LogRecord> LogRecords() {
    return Hub().Records();
}

void ClearLogRecords() {
    Hub().ClearRecords();
}

std::vector<std::wstring> LogMessages() {
    std::vector<std::wstring> messages;
    for (auto& record : Hub().Records()) {
        messages.push_back(std::move(record.message));
    }
    return messages;
}

bool HasLogMessage(std::wstring_view message) {
    const auto records = Hub().Records();
    return std::any_of(records.begin(), records.end(),
                       [&](const LogRecord& record) { return record.message == message; });
}

bool HasLogMessage(std::wstring_view message, ORV::Log::Level level) {
    const auto records = Hub().Records();
    return std::any_of(records.begin(), records.end(), [&](const LogRecord& record) {
        return record.message == message && record.level == level;
    });
}

bool WaitForLog(const std::function<bool(const LogRecord&)>& match,
                std::chrono::milliseconds timeout) {
    return Hub().WaitFor(match, timeout);
}

void SetLogMemoryCapacity(std::size_t maxRecords) {
    Hub().SetCapacity(maxRecords);
}

void AddLogSink(spdlog::sink_ptr sink) {
    if (sink) {
        Hub().AddSink(std::move(sink));
    }
}

void RemoveLogSink(const spdlog::sink_ptr& sink) {
    Hub().RemoveSink(sink);
}

void SetLogDirectory(std::filesystem::path directory) {
    Hub().SetDirectory(std::move(directory));
}

std::filesystem::path LogDirectory() {
    return Hub().Directory();
}

void ArrangeLogDelay(std::wstring message, std::chrono::milliseconds duration, int times) {
    if (duration.count() < 0 || duration.count() > std::numeric_limits<DWORD>::max() - 1) {
        throw std::invalid_argument("a log delay must be from 0 to 4294967294 ms");
    }
    Hub().ArrangeDelay(std::move(message), duration, times);
}

void ClearLogDelays() {
    Hub().ClearDelays();
}

namespace internal {

void ResetLog() {
    Hub().ClearDelays();
    ORV::Log::Sinks::ResetLevel(ORV::g_log);
    Hub().SetFile(ORV::Log::Sinks::Of(ORV::g_log), nullptr, {});
    Hub().ClearRecords();
}

}  // namespace internal

std::filesystem::path LogFilePath() {
    return Hub().FilePath(ORV::Log::Sinks::Of(ORV::g_log));
}

}  // namespace orvsim

namespace ORV {

Log::Log() : sinks_(std::make_unique<Sinks>()) {}

Log::~Log() = default;

void Log::Emit(Level level, const wchar_t* format, std::wstring message) noexcept {
    try {
        const auto delay = orvsim::Hub().TakeDelay(message);
        // Before the write: a clock jump made once the line can be seen ends the hold.
        const std::uint64_t deadline = delay ? orvsim::MachineTickAfter(*delay) : std::uint64_t{0};
        orvsim::Hub().Write(*sinks_, level, format, std::move(message));
        if (delay) {
            // After the write and outside the hub's lock: only this writer is held.
            orvsim::SleepUntilMachineTick(deadline);
        }
    } catch (...) {
        // A log line that cannot be written (no memory, full disk) is lost, never reported.
    }
}

void Log::EmitFormatError(Level level, const wchar_t* format, const char* reason) noexcept {
    try {
        Emit(level, format,
             std::wstring(format) + L" [log format error: " + orvbase::Utf8ToWide(reason) + L"]");
    } catch (...) {
    }
}

bool Log::Open(const std::wstring& fileName, int level) noexcept {
    level_.store(std::clamp(level, static_cast<int>(kNone), static_cast<int>(kDebug)));
    if (fileName.empty()) {
        return false;
    }
    try {
        auto path =
            orvsim::Hub().Directory() / std::filesystem::path(orvbase::WideToUtf8(fileName));
        auto file = std::make_shared<spdlog::sinks::basic_file_sink_mt>(path.string(), false);
        file->set_pattern(orvsim::kLogPattern);
        orvsim::Hub().SetFile(*sinks_, std::move(file), std::move(path));
        return true;
    } catch (...) {
        return false;
    }
}

namespace utility {

bool InitLog(Log& log, const std::wstring& fileName, int level) {
    orvsim::TraceCall("ORV::utility", "InitLog", fileName, level);
    return log.Open(fileName, level);
}

}  // namespace utility
}  // namespace ORV
