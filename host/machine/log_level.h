#pragma once
// The level of a line of the service's log, as the evidence records it and a scenario names it.

namespace orvhost {

enum class LogLevel { kDebug, kInfo, kWarning, kError };

}  // namespace orvhost
