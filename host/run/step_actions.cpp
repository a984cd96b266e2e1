#include "host/run/step_actions.h"

#include <string>

#include "base/unicode.h"
#include "host/run/arrangement.h"
#include "sim/client/client_control.h"
#include "winapi/control/machine_control.h"

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

}  // namespace

void Act(ServiceHost& host, const ControlStep& step) {
    host.SendControl(step.code, step.eventType, nullptr);
}

void Act(ServiceHost& host, const SessionChangeStep& step) {
    if (step.noData) {
        host.SendControl(SERVICE_CONTROL_SESSIONCHANGE, step.reason, nullptr);
    } else {
        host.SendSessionChange(step.reason, step.sessionId);
    }
}

void Act(ServiceHost& host, const PowerEventStep& step) {
    if (step.settingGuid) {
        host.SendPowerSetting(ParseGuid(*step.settingGuid), step.settingData);
    } else {
        host.SendPowerEvent(step.eventType);
    }
}

void Act(ServiceHost& host, const TimeChangeStep& step) {
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

void Act(ServiceHost& host, const ClockChangeStep& step) {
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

void Act(ServiceHost&, const AdvanceClockStep& step) {
    winsim::clock::Advance(milliseconds(step.durationMs));
}

void Act(ServiceHost&, const PublishStep& step) {
    orvsim::Publish(step.topic, step.state, orvbase::Utf8ToWide(step.payload));
}

void Act(ServiceHost&, const EventLogStep& step) {
    if (step.errorCode) {
        winsim::eventlog::PublishError(winsim::eventlog::kSystemChannel, *step.errorCode);
    } else if (step.xml) {
        winsim::eventlog::PublishSystem(orvbase::Utf8ToWide(*step.xml));
    } else {
        const auto now = winsim::clock::WallNow();
        winsim::eventlog::PublishSystem(
            winsim::eventlog::TimeChangeEventXml(now, now + milliseconds(*step.timeDeltaMs)));
    }
}

void Act(ServiceHost&, const RegistryStep& step) {
    ApplyRegistryEdit(step.edit);
}

void Act(ServiceHost&, const FailStep& step) {
    ApplyFailure(step.failure);
}

void Act(ServiceHost&, const ArrangeStep& step) {
    if (step.machine) {
        ApplyMachine(*step.machine);
    }
    if (step.client) {
        ApplyClient(*step.client);
    }
}

void Act(ServiceHost&, const PauseStep& step) {
    Sleep(static_cast<DWORD>(step.durationMs));
}

}  // namespace orvhost
