// The copy of a service control into its work item (ControlWorkItem::Make), with any control
// code, event type and event data. The data is laid out as the Service Control Manager lays
// it out for the control, in a heap block of exactly that size (a power setting's Data holds
// exactly DataLength bytes, so its block is shorter than the structure when DataLength < 4);
// controls whose data the copy must not read get arbitrary, often shorter, blocks. The block
// is freed before the item is checked, as the manager's data lives only for the call: the
// item must own everything it points to, and AddressSanitizer reports any read beyond the
// block or after its release.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "service/control_work_item.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

DWORD PickControl(FuzzedDataProvider& in) {
    constexpr DWORD kCommon[] = {SERVICE_CONTROL_POWEREVENT,  SERVICE_CONTROL_SESSIONCHANGE,
                                 SERVICE_CONTROL_TIMECHANGE,  SERVICE_CONTROL_SHUTDOWN,
                                 SERVICE_CONTROL_PRESHUTDOWN, 220};
    return in.ConsumeBool() ? in.PickValueInArray(kCommon) : in.ConsumeIntegral<DWORD>();
}

DWORD PickEventType(FuzzedDataProvider& in) {
    constexpr DWORD kCommon[] = {PBT_POWERSETTINGCHANGE, PBT_APMRESUMEAUTOMATIC, WTS_SESSION_LOGON};
    return in.ConsumeBool() ? in.PickValueInArray(kCommon) : in.ConsumeIntegral<DWORD>();
}

// A heap block of exactly `size` bytes, so that AddressSanitizer sees its end.
std::unique_ptr<uint8_t[]> Block(size_t size, const std::vector<uint8_t>& bytes) {
    auto block = std::make_unique<uint8_t[]>(size);
    if (!bytes.empty()) {
        std::memcpy(block.get(), bytes.data(), std::min(size, bytes.size()));
    }
    return block;
}

bool IsPowerSettingChange(DWORD control, DWORD eventType) {
    return control == SERVICE_CONTROL_POWEREVENT && eventType == PBT_POWERSETTINGCHANGE;
}

// A power setting's DataLength tells the truth about its block, as the manager's does.
void MakeDataLengthTrue(std::vector<uint8_t>& bytes) {
    constexpr size_t kSettingHeader = offsetof(POWERBROADCAST_SETTING, Data);
    bytes.resize(std::max(bytes.size(), kSettingHeader));
    const auto length = static_cast<DWORD>(bytes.size() - kSettingHeader);
    std::memcpy(bytes.data() + offsetof(POWERBROADCAST_SETTING, DataLength), &length,
                sizeof(length));
}

// The size the manager gives the control's data: what the control names, else anything.
size_t DataSize(DWORD control, DWORD eventType, const std::vector<uint8_t>& bytes) {
    constexpr size_t kSettingHeader = offsetof(POWERBROADCAST_SETTING, Data);
    if (IsPowerSettingChange(control, eventType)) {
        return kSettingHeader + (bytes.size() > kSettingHeader ? bytes.size() - kSettingHeader : 0);
    }
    if (control == SERVICE_CONTROL_SESSIONCHANGE) {
        return sizeof(WTSSESSION_NOTIFICATION);
    }
    if (control == SERVICE_CONTROL_TIMECHANGE) {
        return sizeof(SERVICE_TIMECHANGE_INFO);
    }
    return bytes.size();
}

void CheckPowerSetting(const ControlWorkItem& item, const std::vector<uint8_t>& bytes) {
    constexpr size_t kSettingHeader = offsetof(POWERBROADCAST_SETTING, Data);
    POWERBROADCAST_SETTING header{};
    std::memcpy(&header, bytes.data(), std::min(bytes.size(), kSettingHeader));
    Require(item.eventData == &item.powerSetting);
    Require(std::memcmp(&item.powerSetting.powerSetting, &header.PowerSetting, sizeof(GUID)) == 0);
    Require(item.powerSetting.dataLength == header.DataLength);
    if (header.DataLength == 0) {
        Require(item.powerSetting.data == nullptr);
        return;
    }
    Require(item.powerSetting.data != nullptr);
    Require(std::memcmp(item.powerSetting.data, bytes.data() + kSettingHeader, header.DataLength) ==
            0);
    Require(item.powerSetting.data[header.DataLength] == 0);
}

// What the handler is to receive instead of the manager's data, which `bytes` held.
void CheckEventData(const ControlWorkItem& item, const void* given,
                    const std::vector<uint8_t>& bytes) {
    const bool otherPowerEvent = item.control == SERVICE_CONTROL_POWEREVENT &&
                                 !IsPowerSettingChange(item.control, item.eventType);
    if (given == nullptr || otherPowerEvent) {
        Require(item.eventData == nullptr);
    } else if (IsPowerSettingChange(item.control, item.eventType)) {
        CheckPowerSetting(item, bytes);
    } else if (item.control == SERVICE_CONTROL_SESSIONCHANGE) {
        WTSSESSION_NOTIFICATION session{};
        std::memcpy(&session, bytes.data(), sizeof(session));
        Require(item.eventData == &item.sessionChange);
        Require(item.sessionChange.size == session.cbSize &&
                item.sessionChange.sessionId == session.dwSessionId);
    } else if (item.control == SERVICE_CONTROL_TIMECHANGE) {
        SERVICE_TIMECHANGE_INFO times{};
        std::memcpy(&times, bytes.data(), sizeof(times));
        Require(item.eventData == &item.timeChange);
        Require(item.timeChange.newTime == times.liNewTime.QuadPart &&
                item.timeChange.oldTime == times.liOldTime.QuadPart);
    } else {
        Require(item.eventData == given);  // passed on as it came, never read
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const DWORD control = PickControl(in);
    const DWORD eventType = PickEventType(in);
    const bool noData = in.ConsumeIntegralInRange<int>(0, 7) == 0;
    std::vector<uint8_t> bytes = in.ConsumeRemainingBytes<uint8_t>();
    if (IsPowerSettingChange(control, eventType) && !noData) {
        MakeDataLengthTrue(bytes);
    }
    const size_t dataSize = DataSize(control, eventType, bytes);
    std::unique_ptr<uint8_t[]> block = noData ? nullptr : Block(dataSize, bytes);
    bytes.resize(std::max(bytes.size(), dataSize));
    void* const eventData = block.get();
    int contextTarget = 0;

    const std::unique_ptr<ControlWorkItem> item =
        ControlWorkItem::Make(control, eventType, eventData, &contextTarget);
    block.reset();  // the manager's data is gone once the handler returns

    Require(item->control == control && item->eventType == eventType);
    Require(item->context == &contextTarget);
    CheckEventData(*item, eventData, bytes);
    return 0;
}
