#include "service/control_work_item.h"

#include <cstring>

std::unique_ptr<ControlWorkItem> ControlWorkItem::Make(DWORD control, DWORD eventType,
                                                       void* eventData, void* context) {
    auto item = std::make_unique<ControlWorkItem>();
    item->control = control;
    item->eventType = eventType;
    switch (control) {
        case SERVICE_CONTROL_POWEREVENT:
            if (eventType == PBT_POWERSETTINGCHANGE && eventData != nullptr) {
                const auto* setting = static_cast<const POWERBROADCAST_SETTING*>(eventData);
                item->powerSetting.powerSetting = setting->PowerSetting;
                item->powerSetting.dataLength = setting->DataLength;
                if (setting->DataLength != 0) {
                    // One zero byte more than the data, so text settings end terminated.
                    item->powerSettingBuffer = std::make_unique<uint8_t[]>(setting->DataLength + 1);
                    std::memcpy(item->powerSettingBuffer.get(), setting->Data, setting->DataLength);
                    item->powerSetting.data = item->powerSettingBuffer.get();
                }
                item->eventData = &item->powerSetting;
            }
            break;
        case SERVICE_CONTROL_SESSIONCHANGE:
            if (eventData != nullptr) {
                const auto* session = static_cast<const WTSSESSION_NOTIFICATION*>(eventData);
                item->sessionChange.size = session->cbSize;
                item->sessionChange.sessionId = session->dwSessionId;
                item->eventData = &item->sessionChange;
            }
            break;
        case SERVICE_CONTROL_TIMECHANGE:
            if (eventData != nullptr) {
                const auto* times = static_cast<const SERVICE_TIMECHANGE_INFO*>(eventData);
                item->timeChange.newTime = times->liNewTime.QuadPart;
                item->timeChange.oldTime = times->liOldTime.QuadPart;
                item->eventData = &item->timeChange;
            }
            break;
        default:
            item->eventData = eventData;
            break;
    }
    item->context = context;
    return item;
}
