#pragma once
// Whether one piece of evidence fits a matcher of the scenario file, and how to name a
// matcher in messages. Pure functions; any thread.

#include <string>

#include "host/machine/evidence.h"
#include "host/scenario/scenario_model.h"
#include "sim/client/client_control.h"
#include "winapi/windows_api.h"

namespace orvhost {

bool Matches(const LogMatcher& matcher, const LogLine& line);
bool Matches(const CallMatcher& matcher, const CallRecord& call);
bool Matches(const PublicationMatcher& matcher, const orvsim::Publication& publication);
bool Matches(const StatusMatcher& matcher, const SERVICE_STATUS& status);

std::string Describe(const LogMatcher& matcher);
std::string Describe(const CallMatcher& matcher);
std::string Describe(const PublicationMatcher& matcher);
std::string Describe(const StatusMatcher& matcher);
std::string Describe(const CountRange& count);

std::string Describe(const LogLine& line);
std::string Describe(const CallRecord& call);
std::string Describe(const orvsim::Publication& publication);
std::string Describe(const SERVICE_STATUS& status);
std::string LevelName(LogLevel level);

}  // namespace orvhost
