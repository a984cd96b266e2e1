#pragma once
// Reading and steering the common base logger (C++ control API for tests and orvhost).
//
// Every line any ORV::Log writes is also kept in memory, already split into its parts, so
// tests compare message parts rather than whole lines. Lines are kept from process start on,
// also before InitLog. Any thread.

#include <spdlog/common.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/common_base/log.h"

namespace orvsim {

struct LogRecord {
    std::uint64_t sequence = 0;  // order of writing, process-wide
    ORV::Log::Level level = ORV::Log::kDebug;
    std::uint32_t threadId = 0;  // GetCurrentThreadId() of the writer
    std::wstring message;        // the message part: the format with its arguments filled in
    std::wstring format;         // the format as the caller gave it
    std::chrono::system_clock::time_point time;
};

std::vector<LogRecord> LogRecords();
void ClearLogRecords();

// Messages only, oldest first; handy for gtest matchers.
std::vector<std::wstring> LogMessages();

// Whether a kept line has exactly this message part (and level, if given).
bool HasLogMessage(std::wstring_view message);
bool HasLogMessage(std::wstring_view message, ORV::Log::Level level);

// Blocks until a kept line satisfies `match` or `timeout` (real time) passes.
bool WaitForLog(const std::function<bool(const LogRecord&)>& match,
                std::chrono::milliseconds timeout);

// At most this many lines are kept in memory; the oldest go first.
void SetLogMemoryCapacity(std::size_t maxRecords);

// Further outputs for every line, e.g. a terminal sink of orvhost. The sink receives the same
// line as the file (pattern kLogPattern) unless it has a formatter of its own set afterwards.
void AddLogSink(spdlog::sink_ptr sink);
void RemoveLogSink(const spdlog::sink_ptr& sink);

// The directory InitLog puts its file in. Default: $ORV_LOG_DIR if set, else the current
// directory. Takes effect at the next InitLog.
void SetLogDirectory(std::filesystem::path directory);
std::filesystem::path LogDirectory();

// The file g_log writes to now; empty before InitLog succeeded.
std::filesystem::path LogFilePath();

// A slow log write: the next `times` lines whose message part is exactly `message` are
// written, and then their writer sleeps `duration` of machine time (the simulated clock's
// Sleep: the clock scale applies and advancing the clock ends it early) before the call
// returns, as a log on a slow disk would hold its caller. Every such line when `times` <= 0.
// The line is in memory and in the file before the hold, so a waiter sees the writer at that
// point. A second arrangement for the same message replaces the first. ResetCommonBase and
// ClearLogDelays remove them. Any thread.
void ArrangeLogDelay(std::wstring message, std::chrono::milliseconds duration, int times = 1);
void ClearLogDelays();

// The line layout: time, level, thread id, message.
inline constexpr char kLogPattern[] = "%Y-%m-%d %H:%M:%S.%e [%l] [%t] %v";

}  // namespace orvsim
