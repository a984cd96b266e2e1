#pragma once
// How the parser reads each kind of step from its object (after the keys every step shares)
// and names it when the file gives no name. One overload pair per alternative of StepAction,
// defined with the kind's family: service_steps.cpp, machine_steps.cpp, flow_steps.cpp.

#include <string>

#include "host/scenario/parser_parts.h"

namespace orvhost::parse {

void Read(JsonObject& object, StartStep& step);
void Read(JsonObject& object, StopStep& step);
void Read(JsonObject& object, ControlStep& step);
void Read(JsonObject& object, SessionChangeStep& step);
void Read(JsonObject& object, PowerEventStep& step);
void Read(JsonObject& object, TimeChangeStep& step);
void Read(JsonObject& object, ClockChangeStep& step);
void Read(JsonObject& object, AdvanceClockStep& step);
void Read(JsonObject& object, PublishStep& step);
void Read(JsonObject& object, EventLogStep& step);
void Read(JsonObject& object, RegistryStep& step);
void Read(JsonObject& object, FailStep& step);
void Read(JsonObject& object, ArrangeStep& step);
void Read(JsonObject& object, PauseStep& step);
void Read(JsonObject& object, WaitForStep& step);
void Read(JsonObject& object, CheckStep& step);
void Read(JsonObject& object, TogetherStep& step);

std::string NameOf(const StartStep& step);
std::string NameOf(const StopStep& step);
std::string NameOf(const ControlStep& step);
std::string NameOf(const SessionChangeStep& step);
std::string NameOf(const PowerEventStep& step);
std::string NameOf(const TimeChangeStep& step);
std::string NameOf(const ClockChangeStep& step);
std::string NameOf(const AdvanceClockStep& step);
std::string NameOf(const PublishStep& step);
std::string NameOf(const EventLogStep& step);
std::string NameOf(const RegistryStep& step);
std::string NameOf(const FailStep& step);
std::string NameOf(const ArrangeStep& step);
std::string NameOf(const PauseStep& step);
std::string NameOf(const WaitForStep& step);
std::string NameOf(const CheckStep& step);
std::string NameOf(const TogetherStep& step);

// A clock move in milliseconds, up to ten years either way.
std::optional<std::int64_t> SignedMs(const JsonNode& node);

}  // namespace orvhost::parse
