#pragma once
// The client's logger: ORV::g_log with d (debug), w (warning) and e (error).
//
// Each call takes a wide printf-style format and its arguments and writes one line: time,
// level, thread id, message. The format is rendered with fmt::sprintf, which checks each
// argument against its conversion at run time and renders the same on every platform: "%s"
// takes a wide string (const wchar_t* or std::wstring), "%d" any integer, "%lu" a 32-bit
// thread id, "%llu" a 64-bit value. Handles and other pointers are passed as their numeric
// value, enumerations as their underlying integer.
//
// A call never throws and never fails the caller: a format that does not match its
// arguments is written as the raw format with the reason appended.
//
// Thread safety: any thread may log at any time, also before InitLog and concurrently with it.

#include <fmt/printf.h>
#include <fmt/xchar.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

namespace ORV {

class Log {
  public:
    // Verbosity levels of InitLog: a line is written when its level is at most the log's.
    enum Level : int { kNone = 0, kError = 1, kWarning = 2, kInfo = 3, kDebug = 4 };

    Log();
    ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    template <class... Args>
    void d(const wchar_t* format, const Args&... args) noexcept {
        Write(kDebug, format, args...);
    }
    template <class... Args>
    void w(const wchar_t* format, const Args&... args) noexcept {
        Write(kWarning, format, args...);
    }
    template <class... Args>
    void e(const wchar_t* format, const Args&... args) noexcept {
        Write(kError, format, args...);
    }

    // Opens (or reopens) the log file and sets the level; see ORV::utility::InitLog.
    bool Open(const std::wstring& fileName, int level) noexcept;

    int GetLevel() const noexcept { return level_.load(std::memory_order_relaxed); }

    struct Sinks;  // the log's outputs; defined by the library

  private:
    // Character pointers stay strings; a narrow one in a wide format is a compile error.
    template <class C>
    static constexpr bool IsCharacter =
        std::is_same_v<std::remove_cv_t<C>, wchar_t> || std::is_same_v<std::remove_cv_t<C>, char>;

    template <class T>
    static decltype(auto) Printable(const T& value) {
        if constexpr (std::is_enum_v<T>) {
            return static_cast<std::underlying_type_t<T>>(value);
        } else if constexpr (std::is_pointer_v<T> && !IsCharacter<std::remove_pointer_t<T>>) {
            return reinterpret_cast<std::uintptr_t>(value);
        } else {
            return (value);
        }
    }

    template <class... Args>
    void Write(Level level, const wchar_t* format, const Args&... args) noexcept {
        if (format == nullptr || level > GetLevel()) {
            return;
        }
        try {
            Emit(level, format, fmt::sprintf(format, Printable(args)...));
        } catch (const std::exception& error) {
            EmitFormatError(level, format, error.what());
        } catch (...) {
            EmitFormatError(level, format, "unknown error");
        }
    }

    void Emit(Level level, const wchar_t* format, std::wstring message) noexcept;
    void EmitFormatError(Level level, const wchar_t* format, const char* reason) noexcept;

    std::atomic<int> level_{kDebug};
    std::unique_ptr<Sinks> sinks_;
};

// The process-wide log of the client.
extern Log g_log;

namespace utility {

// Makes `log` write to the file `fileName` (in the log directory) at verbosity `level`
// (Log::Level; 4 writes everything). Calling it again reopens the file and sets the level.
// True when the file could be opened; the log stays usable either way.
bool InitLog(Log& log, const std::wstring& fileName, int level);

}  // namespace utility
}  // namespace ORV
