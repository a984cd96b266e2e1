#pragma once
// The scenario orvhost runs without a scenario file (host/default_scenario.json, built into
// the program): start, full initialisation, a user logon, a maintenance control (220), a
// resume from sleep, a configuration-policy change and a clock change of +90 s, then the stop.

#include <string_view>

namespace orvhost {

std::string_view DefaultScenarioText();

// How the default scenario is named in messages.
inline constexpr char kDefaultScenarioSource[] = "(embedded default)";

}  // namespace orvhost
