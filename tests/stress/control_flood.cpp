#include "control_flood.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <vector>

#include "service/entry_points.h"
#include "shared/client_vocabulary.h"

namespace orvstress {

namespace {

// Data the library passes on as it came (device events, unknown codes): it must outlive every
// handler, so it lives as long as the process. Never written.
alignas(16) const std::array<unsigned char, 512> kLastingData{};

constexpr std::array<DWORD, 10> kPowerEventTypes = {
    PBT_APMQUERYSUSPEND,      PBT_APMQUERYSUSPENDFAILED, PBT_APMSUSPEND,  PBT_APMRESUMECRITICAL,
    PBT_APMRESUMESUSPEND,     PBT_APMBATTERYLOW,         PBT_APMOEMEVENT, PBT_APMRESUMEAUTOMATIC,
    PBT_APMPOWERSTATUSCHANGE, PBT_POWERSETTINGCHANGE};

// Every standard code but pre-shutdown and the three whose data the library copies.
constexpr std::array<DWORD, 14> kOtherKnownCodes = {
    SERVICE_CONTROL_STOP,          SERVICE_CONTROL_PAUSE,
    SERVICE_CONTROL_CONTINUE,      SERVICE_CONTROL_INTERROGATE,
    SERVICE_CONTROL_SHUTDOWN,      SERVICE_CONTROL_PARAMCHANGE,
    SERVICE_CONTROL_NETBINDADD,    SERVICE_CONTROL_NETBINDREMOVE,
    SERVICE_CONTROL_NETBINDENABLE, SERVICE_CONTROL_NETBINDDISABLE,
    SERVICE_CONTROL_DEVICEEVENT,   SERVICE_CONTROL_HARDWAREPROFILECHANGE,
    SERVICE_CONTROL_TRIGGEREVENT,  0x00000060 /* SERVICE_CONTROL_LOWRESOURCES */};

constexpr std::array<DWORD, 4> kClientCodes = {
    orv::control_codes::kDiagnosticsScan, orv::control_codes::kDiagnosticsScanAlternate,
    orv::control_codes::kMaintenance, orv::control_codes::kMaintenanceAlternate};

// FILETIME of 2026-01-01 and the span of a year in FILETIME units.
constexpr int64_t kFileTime2026 = 134116128000000000;
constexpr int64_t kFileTimeYear = 315360000000000;

}  // namespace

ControlFlood::ControlFlood(std::uint64_t seed, int preShutdownWeight, std::atomic<int>& sent)
    : random_(seed), preShutdownWeight_(preShutdownWeight), sent_(sent) {}

bool ControlFlood::OneIn(int n) {
    return std::uniform_int_distribution<int>(1, n)(random_) == 1;
}

void ControlFlood::SendOne() {
    const int pick = std::uniform_int_distribution<int>(0, 999)(random_);
    if (pick < preShutdownWeight_) {
        Deliver(SERVICE_CONTROL_PRESHUTDOWN, 0, OneIn(2) ? nullptr : PassedOnData());
    } else if (pick < 250) {
        SendPowerEvent();
    } else if (pick < 450) {
        SendSessionChange();
    } else if (pick < 550) {
        SendTimeChange();
    } else if (pick < 850) {
        SendKnown(pick < 700);
    } else {
        SendUnknown();
    }
    ++sent_;
}

void ControlFlood::SendPowerEvent() {
    DWORD eventType = Pick(kPowerEventTypes);
    if (OneIn(10)) {
        eventType = static_cast<DWORD>(random_());
    }
    if (eventType != PBT_POWERSETTINGCHANGE) {
        // Windows hands these over without data; the library must not mind either way.
        Deliver(SERVICE_CONTROL_POWEREVENT, eventType, OneIn(2) ? nullptr : PassedOnData());
        return;
    }
    if (OneIn(8)) {
        Deliver(SERVICE_CONTROL_POWEREVENT, eventType, nullptr);
        return;
    }
    // A POWERBROADCAST_SETTING of any data length, in storage that ends where its data ends.
    static constexpr std::array<std::size_t, 8> kLengths = {0, 1, 2, 4, 16, 255, 4096, 65536};
    std::size_t length = Pick(kLengths);
    if (OneIn(4)) {
        length = std::uniform_int_distribution<std::size_t>(0, 300)(random_);
    }
    const std::size_t dataOffset = offsetof(POWERBROADCAST_SETTING, Data);
    std::vector<std::uint64_t> words((dataOffset + length + 7) / 8 + 1);
    auto* setting = reinterpret_cast<POWERBROADCAST_SETTING*>(words.data());
    setting->PowerSetting.Data1 = static_cast<std::uint32_t>(random_());
    setting->PowerSetting.Data2 = static_cast<std::uint16_t>(random_());
    setting->DataLength = static_cast<DWORD>(length);
    auto* bytes = reinterpret_cast<unsigned char*>(words.data()) + dataOffset;
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<unsigned char>(random_());
    }
    Deliver(SERVICE_CONTROL_POWEREVENT, eventType, setting);
    // The Service Control Manager's record goes when the call returns; so does this one.
}

void ControlFlood::SendSessionChange() {
    DWORD reason =
        std::uniform_int_distribution<DWORD>(WTS_CONSOLE_CONNECT, WTS_SESSION_TERMINATE)(random_);
    if (OneIn(10)) {
        reason = static_cast<DWORD>(random_());
    }
    if (OneIn(8)) {
        Deliver(SERVICE_CONTROL_SESSIONCHANGE, reason, nullptr);
        return;
    }
    WTSSESSION_NOTIFICATION notification{};
    notification.cbSize = OneIn(10) ? static_cast<DWORD>(random_()) : sizeof(notification);
    notification.dwSessionId = std::uniform_int_distribution<DWORD>(0, 4)(random_);
    if (OneIn(10)) {
        notification.dwSessionId = OneIn(2) ? 0xFFFFFFFF : static_cast<DWORD>(random_());
    }
    Deliver(SERVICE_CONTROL_SESSIONCHANGE, reason, &notification);
}

void ControlFlood::SendTimeChange() {
    if (OneIn(8)) {
        Deliver(SERVICE_CONTROL_TIMECHANGE, 0, nullptr);
        return;
    }
    SERVICE_TIMECHANGE_INFO info{};
    if (OneIn(5)) {
        // Any two FILETIMEs Windows can hold: 1601 to 30828.
        info.liOldTime.QuadPart = static_cast<int64_t>(random_() >> 1);
        info.liNewTime.QuadPart = static_cast<int64_t>(random_() >> 1);
    } else {
        info.liOldTime.QuadPart =
            kFileTime2026 + std::uniform_int_distribution<int64_t>(0, kFileTimeYear)(random_);
        // A few seconds either way, or a jump of up to a day.
        const int64_t step = OneIn(2) ? 50000000 : 864000000000;
        info.liNewTime.QuadPart =
            info.liOldTime.QuadPart + std::uniform_int_distribution<int64_t>(-step, step)(random_);
    }
    Deliver(SERVICE_CONTROL_TIMECHANGE, static_cast<DWORD>(random_() % 2), &info);
}

void ControlFlood::SendKnown(bool client) {
    const DWORD code = client ? Pick(kClientCodes) : Pick(kOtherKnownCodes);
    Deliver(code, OneIn(2) ? 0 : static_cast<DWORD>(random_()), PassedOnData());
}

void ControlFlood::SendUnknown() {
    DWORD code = 0;
    do {
        // User-defined codes (128 to 255) and anything else a caller could send.
        code = OneIn(2) ? std::uniform_int_distribution<DWORD>(128, 255)(random_)
                        : static_cast<DWORD>(random_());
    } while ((code >= SERVICE_CONTROL_POWEREVENT && code <= SERVICE_CONTROL_TIMECHANGE) ||
             std::find(kClientCodes.begin(), kClientCodes.end(), code) != kClientCodes.end());
    Deliver(code, static_cast<DWORD>(random_()), PassedOnData());
}

void* ControlFlood::PassedOnData() {
    if (OneIn(2)) {
        return nullptr;
    }
    const std::size_t offset = 16 * std::uniform_int_distribution<std::size_t>(0, 15)(random_);
    return const_cast<unsigned char*>(kLastingData.data() + offset);
}

void ControlFlood::Deliver(DWORD control, DWORD eventType, void* eventData) {
    void* context = OneIn(2) ? nullptr : const_cast<unsigned char*>(kLastingData.data());
    OnServiceControlHandle(control, eventType, eventData, context);
}

}  // namespace orvstress
