#include "host/run_summary.h"

#include <fmt/format.h>

#include "host/machine_setup.h"
#include "sim/client/control.h"
#include "sim/common_base/log_control.h"
#include "winapi/sim/control.h"

namespace orvhost {

namespace {

std::string Duration(const std::optional<std::chrono::milliseconds>& duration) {
    return duration ? fmt::format("{} ms", duration->count()) : std::string("not reached");
}

std::string StartupConfiguration() {
    const auto config = winsim::services::Get(kServiceName);
    if (!config) {
        return "service not installed";
    }
    const char* startName = config->startType == SERVICE_AUTO_START     ? "automatic"
                            : config->startType == SERVICE_DEMAND_START ? "manual"
                            : config->startType == SERVICE_DISABLED     ? "disabled"
                                                                        : "other";
    std::string delayed = "absent";
    if (config->delayedAutoStart) {
        delayed = *config->delayedAutoStart ? "1" : "0";
    }
    const bool isDelayed = config->delayedAutoStart.value_or(false);
    return fmt::format("Start={} ({}{}), DelayedAutostart={}", config->startType, startName,
                       isDelayed && config->startType == SERVICE_AUTO_START ? ", delayed" : "",
                       delayed);
}

std::string Publications() {
    std::string list;
    int count = 0;
    for (const orvsim::Publication& publication : orvsim::Publications()) {
        list += fmt::format("{}({},{})", count == 0 ? "" : " ", publication.topicId,
                            publication.eventState);
        ++count;
    }
    return fmt::format("{}{}{}", count, count == 0 ? "" : ": ", list);
}

int ErrorLines() {
    int errors = 0;
    for (const orvsim::LogRecord& record : orvsim::LogRecords()) {
        errors += record.level == ORV::Log::kError ? 1 : 0;
    }
    return errors;
}

}  // namespace

std::string FormatRunSummary(const ServiceHost& host, const RunOutcome& outcome) {
    std::string text = "\norvhost summary\n";
    text += fmt::format("  time to full initialisation  {}\n", Duration(host.TimeToFullInit()));
    text += fmt::format("  controls delivered           {}\n", host.ControlsDelivered());
    text += fmt::format("  notifications published      {}\n", Publications());
    text += fmt::format("  startup configuration        {}\n", StartupConfiguration());
    text += fmt::format("  time to stop                 {}\n", Duration(host.TimeToStop()));
    text += fmt::format("  error lines in the log       {}\n", ErrorLines());
    for (const StepOutcome& step : outcome.steps) {
        text += fmt::format("  {:<4} {}{}\n", step.ok ? "ok" : "FAIL", step.name,
                            step.detail.empty() ? "" : " (" + step.detail + ")");
    }
    text += fmt::format("  result                       {}\n", outcome.clean() ? "clean" : "FAILED");
    return text;
}

}  // namespace orvhost
