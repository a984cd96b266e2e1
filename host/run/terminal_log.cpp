#include "host/run/terminal_log.h"

#include <spdlog/pattern_formatter.h>
#include <spdlog/sinks/stdout_color_sinks.h>

#include "sim/common_base/log_control.h"

namespace orvhost {

TerminalLog::TerminalLog() : sink_(std::make_shared<spdlog::sinks::stdout_color_sink_mt>()) {
    orvsim::AddLogSink(sink_);
    // After adding: the log gives every sink its file layout; the terminal wants a shorter one.
    sink_->set_formatter(
        std::make_unique<spdlog::pattern_formatter>("%H:%M:%S.%e %^%-5l%$ [%t] %v"));
}

TerminalLog::~TerminalLog() {
    orvsim::RemoveLogSink(sink_);
}

}  // namespace orvhost
