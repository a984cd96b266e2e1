#pragma once
// The owned copies of a control's event data that the control work record carries from the
// entry point to the handler. The handler sees these layouts, not the Windows ones.

#include <cstdint>

#include "winapi/windows_api.h"

// Control 13 with PBT_POWERSETTINGCHANGE: the setting, its data length and an owned copy of
// the data with one zero byte after it (null when the length is 0).
struct PowerSettingCopy {
    GUID powerSetting{};
    DWORD dataLength = 0;
    uint8_t* data = nullptr;
};

// Control 14: the WTSSESSION_NOTIFICATION's size and session id.
struct SessionChangeCopy {
    DWORD size = 0;
    DWORD sessionId = 0;
};

// Control 16: SERVICE_TIMECHANGE_INFO's times, 100 ns units since 1601-01-01 UTC.
struct TimeChangeCopy {
    int64_t newTime = 0;
    int64_t oldTime = 0;
};
