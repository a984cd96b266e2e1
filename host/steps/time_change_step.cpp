#include "host/steps/time_change_step.h"

#include <fmt/format.h>

#include <chrono>

#include "host/machine/service_host.h"
#include "host/scenario/parser_parts.h"
#include "host/steps/step_context.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

namespace {

using std::chrono::milliseconds;

// As far as the machine's clock reaches: 2262-01-01.
constexpr std::int64_t kMaxEpochMs = 9214646400000;

std::int64_t FileTimeOfEpochMs(std::int64_t epochMs) {
    return winsim::clock::ToFileTime(std::chrono::system_clock::time_point(milliseconds(epochMs)));
}

}  // namespace

void TimeChangeStep::Read(JsonObject& object) {
    const bool noDataGiven = object.Has("noData");
    parse::Optional(object, "noData", noData, [](const JsonNode& n) { return n.Bool(); });
    const bool relative = object.Has("deltaMs");
    const bool absolute = object.Has("oldTimeMs") || object.Has("newTimeMs");
    parse::Optional(object, "deltaMs", deltaMs, parse::SignedMs);
    const auto epochMs = [](const JsonNode& n) { return n.Integer(0, kMaxEpochMs); };
    parse::Optional(object, "oldTimeMs", oldTimeMs, epochMs);
    parse::Optional(object, "newTimeMs", newTimeMs, epochMs);
    const int forms = (relative ? 1 : 0) + (absolute ? 1 : 0) + (noDataGiven && noData ? 1 : 0);
    if (forms != 1) {
        object.node().Error(
            "give exactly one of \"deltaMs\", \"oldTimeMs\" with \"newTimeMs\", or \"noData\": "
            "true");
    } else if (absolute && !(object.Has("oldTimeMs") && object.Has("newTimeMs"))) {
        object.node().Error("\"oldTimeMs\" and \"newTimeMs\" go together");
    }
}

std::string TimeChangeStep::Name() const {
    return noData ? "time-change control without data"
                  : fmt::format("time-change control ({:+} ms)",
                                newTimeMs && oldTimeMs ? *newTimeMs - *oldTimeMs : deltaMs);
}

bool TimeChangeStep::Act(StepContext& context) const {
    if (noData) {
        context.Host().SendControl(SERVICE_CONTROL_TIMECHANGE, 0, nullptr);
    } else if (oldTimeMs && newTimeMs) {
        context.Host().SendTimeChange(FileTimeOfEpochMs(*oldTimeMs), FileTimeOfEpochMs(*newTimeMs));
    } else {
        const auto now = winsim::clock::WallNow();
        context.Host().SendTimeChange(winsim::clock::ToFileTime(now),
                                      winsim::clock::ToFileTime(now + milliseconds(deltaMs)));
    }
    return true;
}

}  // namespace orvhost
