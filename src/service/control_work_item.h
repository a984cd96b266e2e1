#pragma once
// ControlWorkItem: one service control on its way from OnServiceControlHandle to a pool
// thread, with owned copies of the event data that the Service Control Manager owns only for
// the duration of the call.

#include <cstdint>
#include <memory>

#include "service/control_event_data.h"
#include "winapi/windows_api.h"

struct ControlWorkItem {
    DWORD control = 0;
    DWORD eventType = 0;
    void* eventData = nullptr;  // what the handler receives: one of the copies, or as received
    void* context = nullptr;
    PowerSettingCopy powerSetting;
    SessionChangeCopy sessionChange;
    TimeChangeCopy timeChange;
    std::unique_ptr<uint8_t[]> powerSettingBuffer;  // owns powerSetting.data

    // Builds the record: copies the event data of power-setting, session and time changes,
    // passes every other control's pointer on as it came.
    static std::unique_ptr<ControlWorkItem> Make(DWORD control, DWORD eventType, void* eventData,
                                                 void* context);
};
