// The actions of single timeline steps: what each kind of step does to the machine, the bus
// or the service.

#include <fmt/format.h>

#include <string>

#include "host/run/arrangement.h"
#include "host/run/step_runner.h"
#include "sim/client/control.h"
#include "sim/common_base/unicode.h"
#include "winapi/sim/control.h"

namespace orvhost {

namespace {

using std::chrono::milliseconds;

// "245d8541-3943-4422-b025-13a784f679b7" (the parser checked the shape).
GUID ParseGuid(const std::string& text) {
    const auto hex = [&](std::size_t from, std::size_t length) {
        return std::stoull(text.substr(from, length), nullptr, 16);
    };
    GUID guid{};
    guid.Data1 = static_cast<std::uint32_t>(hex(0, 8));
    guid.Data2 = static_cast<std::uint16_t>(hex(9, 4));
    guid.Data3 = static_cast<std::uint16_t>(hex(14, 4));
    guid.Data4[0] = static_cast<std::uint8_t>(hex(19, 2));
    guid.Data4[1] = static_cast<std::uint8_t>(hex(21, 2));
    for (std::size_t i = 0; i < 6; ++i) {
        guid.Data4[2 + i] = static_cast<std::uint8_t>(hex(24 + 2 * i, 2));
    }
    return guid;
}

std::int64_t FileTimeOfEpochMs(std::int64_t epochMs) {
    return winsim::clock::ToFileTime(std::chrono::system_clock::time_point(milliseconds(epochMs)));
}

void TimeChangeControl(ServiceHost& host, const Step& step) {
    if (step.noData) {
        host.SendControl(SERVICE_CONTROL_TIMECHANGE, 0, nullptr);
    } else if (step.oldTimeMs && step.newTimeMs) {
        host.SendTimeChange(FileTimeOfEpochMs(*step.oldTimeMs), FileTimeOfEpochMs(*step.newTimeMs));
    } else {
        const auto now = winsim::clock::WallNow();
        host.SendTimeChange(winsim::clock::ToFileTime(now),
                            winsim::clock::ToFileTime(now + milliseconds(step.deltaMs)));
    }
}

void ClockChange(ServiceHost& host, const Step& step) {
    const auto before = winsim::clock::WallNow();
    if (step.viaEventLog) {
        winsim::ChangeSystemTime(milliseconds(step.deltaMs));
    } else {
        winsim::clock::MoveWallClock(milliseconds(step.deltaMs));
    }
    const auto after = winsim::clock::WallNow();
    if (step.viaControl) {
        host.SendTimeChange(winsim::clock::ToFileTime(before), winsim::clock::ToFileTime(after));
    }
}

void EventLogEvent(const Step& step) {
    if (step.errorCode) {
        winsim::eventlog::PublishError(winsim::eventlog::kSystemChannel, *step.errorCode);
    } else if (step.xml) {
        winsim::eventlog::PublishSystem(orvsim::Utf8ToWide(*step.xml));
    } else {
        const auto now = winsim::clock::WallNow();
        winsim::eventlog::PublishSystem(
            winsim::eventlog::TimeChangeEventXml(now, now + milliseconds(*step.timeDeltaMs)));
    }
}

}  // namespace

void StepRunner::Act(const Step& step) {
    switch (step.kind) {
        case StepKind::kStart:
        case StepKind::kStop:
            break;  // handled by RunStep, which judges what escaped them
        case StepKind::kControl:
            host_.SendControl(step.control, step.eventType, nullptr);
            break;
        case StepKind::kSessionChange:
            if (step.noData) {
                host_.SendControl(SERVICE_CONTROL_SESSIONCHANGE, step.eventType, nullptr);
            } else {
                host_.SendSessionChange(step.eventType, step.sessionId);
            }
            break;
        case StepKind::kPowerEvent:
            if (step.powerSettingGuid) {
                host_.SendPowerSetting(ParseGuid(*step.powerSettingGuid), step.powerSettingData);
            } else {
                host_.SendPowerEvent(step.eventType);
            }
            break;
        case StepKind::kTimeChange:
            TimeChangeControl(host_, step);
            break;
        case StepKind::kClockChange:
            ClockChange(host_, step);
            break;
        case StepKind::kAdvanceClock:
            winsim::clock::Advance(milliseconds(step.durationMs));
            break;
        case StepKind::kPublish:
            orvsim::Publish(step.topic, step.state, orvsim::Utf8ToWide(step.payload));
            break;
        case StepKind::kEventLog:
            EventLogEvent(step);
            break;
        case StepKind::kRegistry:
            ApplyRegistryEdit(*step.registry);
            break;
        case StepKind::kFail:
            ApplyFailure(*step.failure);
            break;
        case StepKind::kArrange:
            if (step.machine) {
                ApplyMachine(*step.machine);
            }
            if (step.client) {
                ApplyClient(*step.client);
            }
            break;
        case StepKind::kPause:
            Sleep(static_cast<DWORD>(step.durationMs));
            break;
        case StepKind::kWaitFor:
        case StepKind::kCheck:
        case StepKind::kTogether:
            break;  // handled by RunStep
    }
}

}  // namespace orvhost
