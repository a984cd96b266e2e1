#include "platform/common_base/utility.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "base/unicode.h"
#include "sim/common_base/environment_arrangements.h"
#include "sim/common_base/machine_time.h"
#include "sim/trace.h"

namespace ORV {
namespace utility {

std::string OrvVersionName;

bool IsOOBECompleted() {
    const bool completed = orvsim::environment::CheckOobe();
    orvsim::TraceCall("ORV::utility", "IsOOBECompleted", completed);
    return completed;
}

void zeromemory(void* destination, std::size_t length) {
    orvsim::TraceCall("ORV::utility", "zeromemory", destination, length);
    if (destination != nullptr && length != 0) {
        std::memset(destination, 0, length);
    }
}

}  // namespace utility

namespace System {

std::wstring GetTime() {
    using namespace std::chrono;
    const auto now = floor<milliseconds>(orvsim::MachineNow());
    const auto day = floor<days>(now);
    const year_month_day date(day);
    const hh_mm_ss time(now - day);
    char text[40];
    std::snprintf(
        text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
        static_cast<int>(time.seconds().count()), static_cast<int>(time.subseconds().count()));
    std::wstring result = orvbase::Utf8ToWide(text);
    orvsim::TraceCall("ORV::System", "GetTime", result);
    return result;
}

}  // namespace System
}  // namespace ORV
