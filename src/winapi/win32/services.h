#pragma once
// The service control manager: opening the manager and services, changing a service's
// configuration (mirrored in SYSTEM\CurrentControlSet\Services\<name>), status reports,
// and the structures that service controls carry.

#include "winapi/win32/types.h"

inline constexpr const wchar_t* SERVICES_ACTIVE_DATABASEW = L"ServicesActive";
inline constexpr const wchar_t* SERVICES_FAILED_DATABASEW = L"ServicesFailed";

inline constexpr DWORD SERVICE_NO_CHANGE = 0xFFFFFFFF;

inline constexpr DWORD SERVICE_KERNEL_DRIVER = 0x00000001;
inline constexpr DWORD SERVICE_FILE_SYSTEM_DRIVER = 0x00000002;
inline constexpr DWORD SERVICE_WIN32_OWN_PROCESS = 0x00000010;
inline constexpr DWORD SERVICE_WIN32_SHARE_PROCESS = 0x00000020;
inline constexpr DWORD SERVICE_WIN32 = 0x00000030;
inline constexpr DWORD SERVICE_INTERACTIVE_PROCESS = 0x00000100;

inline constexpr DWORD SERVICE_BOOT_START = 0x00000000;
inline constexpr DWORD SERVICE_SYSTEM_START = 0x00000001;
inline constexpr DWORD SERVICE_AUTO_START = 0x00000002;
inline constexpr DWORD SERVICE_DEMAND_START = 0x00000003;
inline constexpr DWORD SERVICE_DISABLED = 0x00000004;

inline constexpr DWORD SERVICE_ERROR_IGNORE = 0x00000000;
inline constexpr DWORD SERVICE_ERROR_NORMAL = 0x00000001;
inline constexpr DWORD SERVICE_ERROR_SEVERE = 0x00000002;
inline constexpr DWORD SERVICE_ERROR_CRITICAL = 0x00000003;

inline constexpr DWORD SERVICE_STOPPED = 0x00000001;
inline constexpr DWORD SERVICE_START_PENDING = 0x00000002;
inline constexpr DWORD SERVICE_STOP_PENDING = 0x00000003;
inline constexpr DWORD SERVICE_RUNNING = 0x00000004;
inline constexpr DWORD SERVICE_CONTINUE_PENDING = 0x00000005;
inline constexpr DWORD SERVICE_PAUSE_PENDING = 0x00000006;
inline constexpr DWORD SERVICE_PAUSED = 0x00000007;

inline constexpr DWORD SERVICE_CONTROL_STOP = 0x00000001;
inline constexpr DWORD SERVICE_CONTROL_PAUSE = 0x00000002;
inline constexpr DWORD SERVICE_CONTROL_CONTINUE = 0x00000003;
inline constexpr DWORD SERVICE_CONTROL_INTERROGATE = 0x00000004;
inline constexpr DWORD SERVICE_CONTROL_SHUTDOWN = 0x00000005;
inline constexpr DWORD SERVICE_CONTROL_PARAMCHANGE = 0x00000006;
inline constexpr DWORD SERVICE_CONTROL_NETBINDADD = 0x00000007;
inline constexpr DWORD SERVICE_CONTROL_NETBINDREMOVE = 0x00000008;
inline constexpr DWORD SERVICE_CONTROL_NETBINDENABLE = 0x00000009;
inline constexpr DWORD SERVICE_CONTROL_NETBINDDISABLE = 0x0000000A;
inline constexpr DWORD SERVICE_CONTROL_DEVICEEVENT = 0x0000000B;
inline constexpr DWORD SERVICE_CONTROL_HARDWAREPROFILECHANGE = 0x0000000C;
inline constexpr DWORD SERVICE_CONTROL_POWEREVENT = 0x0000000D;
inline constexpr DWORD SERVICE_CONTROL_SESSIONCHANGE = 0x0000000E;
inline constexpr DWORD SERVICE_CONTROL_PRESHUTDOWN = 0x0000000F;
inline constexpr DWORD SERVICE_CONTROL_TIMECHANGE = 0x00000010;
inline constexpr DWORD SERVICE_CONTROL_TRIGGEREVENT = 0x00000020;

inline constexpr DWORD SERVICE_ACCEPT_STOP = 0x00000001;
inline constexpr DWORD SERVICE_ACCEPT_PAUSE_CONTINUE = 0x00000002;
inline constexpr DWORD SERVICE_ACCEPT_SHUTDOWN = 0x00000004;
inline constexpr DWORD SERVICE_ACCEPT_PARAMCHANGE = 0x00000008;
inline constexpr DWORD SERVICE_ACCEPT_NETBINDCHANGE = 0x00000010;
inline constexpr DWORD SERVICE_ACCEPT_HARDWAREPROFILECHANGE = 0x00000020;
inline constexpr DWORD SERVICE_ACCEPT_POWEREVENT = 0x00000040;
inline constexpr DWORD SERVICE_ACCEPT_SESSIONCHANGE = 0x00000080;
inline constexpr DWORD SERVICE_ACCEPT_PRESHUTDOWN = 0x00000100;
inline constexpr DWORD SERVICE_ACCEPT_TIMECHANGE = 0x00000200;
inline constexpr DWORD SERVICE_ACCEPT_TRIGGEREVENT = 0x00000400;

inline constexpr DWORD SC_MANAGER_CONNECT = 0x0001;
inline constexpr DWORD SC_MANAGER_CREATE_SERVICE = 0x0002;
inline constexpr DWORD SC_MANAGER_ENUMERATE_SERVICE = 0x0004;
inline constexpr DWORD SC_MANAGER_LOCK = 0x0008;
inline constexpr DWORD SC_MANAGER_QUERY_LOCK_STATUS = 0x0010;
inline constexpr DWORD SC_MANAGER_MODIFY_BOOT_CONFIG = 0x0020;
inline constexpr DWORD SC_MANAGER_ALL_ACCESS = 0x000F003F;

inline constexpr DWORD SERVICE_QUERY_CONFIG = 0x0001;
inline constexpr DWORD SERVICE_CHANGE_CONFIG = 0x0002;
inline constexpr DWORD SERVICE_QUERY_STATUS = 0x0004;
inline constexpr DWORD SERVICE_ENUMERATE_DEPENDENTS = 0x0008;
inline constexpr DWORD SERVICE_START = 0x0010;
inline constexpr DWORD SERVICE_STOP = 0x0020;
inline constexpr DWORD SERVICE_PAUSE_CONTINUE = 0x0040;
inline constexpr DWORD SERVICE_INTERROGATE = 0x0080;
inline constexpr DWORD SERVICE_USER_DEFINED_CONTROL = 0x0100;
inline constexpr DWORD SERVICE_ALL_ACCESS = 0x000F01FF;

inline constexpr DWORD SERVICE_CONFIG_DESCRIPTION = 1;
inline constexpr DWORD SERVICE_CONFIG_FAILURE_ACTIONS = 2;
inline constexpr DWORD SERVICE_CONFIG_DELAYED_AUTO_START_INFO = 3;
inline constexpr DWORD SERVICE_CONFIG_FAILURE_ACTIONS_FLAG = 4;
inline constexpr DWORD SERVICE_CONFIG_SERVICE_SID_INFO = 5;
inline constexpr DWORD SERVICE_CONFIG_REQUIRED_PRIVILEGES_INFO = 6;
inline constexpr DWORD SERVICE_CONFIG_PRESHUTDOWN_INFO = 7;

struct SERVICE_STATUS {
    DWORD dwServiceType;
    DWORD dwCurrentState;
    DWORD dwControlsAccepted;
    DWORD dwWin32ExitCode;
    DWORD dwServiceSpecificExitCode;
    DWORD dwCheckPoint;
    DWORD dwWaitHint;
};
using LPSERVICE_STATUS = SERVICE_STATUS*;

// QueryServiceConfigW's result: the strings follow the structure in the caller's buffer.
struct QUERY_SERVICE_CONFIGW {
    DWORD dwServiceType;
    DWORD dwStartType;
    DWORD dwErrorControl;
    LPWSTR lpBinaryPathName;
    LPWSTR lpLoadOrderGroup;
    DWORD dwTagId;
    LPWSTR lpDependencies;
    LPWSTR lpServiceStartName;
    LPWSTR lpDisplayName;
};
using LPQUERY_SERVICE_CONFIGW = QUERY_SERVICE_CONFIGW*;

struct SERVICE_DELAYED_AUTO_START_INFO {
    BOOL fDelayedAutostart;
};
using LPSERVICE_DELAYED_AUTO_START_INFO = SERVICE_DELAYED_AUTO_START_INFO*;

struct SERVICE_DESCRIPTIONW {
    LPWSTR lpDescription;
};
using LPSERVICE_DESCRIPTIONW = SERVICE_DESCRIPTIONW*;

struct SERVICE_PRESHUTDOWN_INFO {
    DWORD dwPreshutdownTimeout;
};
using LPSERVICE_PRESHUTDOWN_INFO = SERVICE_PRESHUTDOWN_INFO*;

// Event data of SERVICE_CONTROL_TIMECHANGE: FILETIME values (100 ns since 1601).
struct SERVICE_TIMECHANGE_INFO {
    LARGE_INTEGER liNewTime;
    LARGE_INTEGER liOldTime;
};
using PSERVICE_TIMECHANGE_INFO = SERVICE_TIMECHANGE_INFO*;

// Event types of SERVICE_CONTROL_SESSIONCHANGE.
inline constexpr DWORD WTS_CONSOLE_CONNECT = 0x1;
inline constexpr DWORD WTS_CONSOLE_DISCONNECT = 0x2;
inline constexpr DWORD WTS_REMOTE_CONNECT = 0x3;
inline constexpr DWORD WTS_REMOTE_DISCONNECT = 0x4;
inline constexpr DWORD WTS_SESSION_LOGON = 0x5;
inline constexpr DWORD WTS_SESSION_LOGOFF = 0x6;
inline constexpr DWORD WTS_SESSION_LOCK = 0x7;
inline constexpr DWORD WTS_SESSION_UNLOCK = 0x8;
inline constexpr DWORD WTS_SESSION_REMOTE_CONTROL = 0x9;
inline constexpr DWORD WTS_SESSION_CREATE = 0xA;
inline constexpr DWORD WTS_SESSION_TERMINATE = 0xB;

struct WTSSESSION_NOTIFICATION {
    DWORD cbSize;
    DWORD dwSessionId;
};
using PWTSSESSION_NOTIFICATION = WTSSESSION_NOTIFICATION*;

// Event types of SERVICE_CONTROL_POWEREVENT.
inline constexpr DWORD PBT_APMQUERYSUSPEND = 0x0000;
inline constexpr DWORD PBT_APMQUERYSUSPENDFAILED = 0x0002;
inline constexpr DWORD PBT_APMSUSPEND = 0x0004;
inline constexpr DWORD PBT_APMRESUMECRITICAL = 0x0006;
inline constexpr DWORD PBT_APMRESUMESUSPEND = 0x0007;
inline constexpr DWORD PBT_APMBATTERYLOW = 0x0009;
inline constexpr DWORD PBT_APMPOWERSTATUSCHANGE = 0x000A;
inline constexpr DWORD PBT_APMOEMEVENT = 0x000B;
inline constexpr DWORD PBT_APMRESUMEAUTOMATIC = 0x0012;
inline constexpr DWORD PBT_POWERSETTINGCHANGE = 0x8013;

struct POWERBROADCAST_SETTING {
    GUID PowerSetting;
    DWORD DataLength;
    UCHAR Data[1];
};
using PPOWERBROADCAST_SETTING = POWERBROADCAST_SETTING*;

using LPHANDLER_FUNCTION_EX = DWORD(WINAPI*)(DWORD dwControl, DWORD dwEventType, LPVOID lpEventData,
                                             LPVOID lpContext);

extern "C" {

// lpMachineName must be null (the local machine); lpDatabaseName null or
// SERVICES_ACTIVE_DATABASEW.
WINSIM_API SC_HANDLE WINAPI OpenSCManagerW(LPCWSTR lpMachineName, LPCWSTR lpDatabaseName,
                                           DWORD dwDesiredAccess);
// Service names compare without regard to case; an unknown one fails with
// ERROR_SERVICE_DOES_NOT_EXIST. Generic rights are mapped to service rights.
WINSIM_API SC_HANDLE WINAPI OpenServiceW(SC_HANDLE hSCManager, LPCWSTR lpServiceName,
                                         DWORD dwDesiredAccess);
WINSIM_API BOOL WINAPI CloseServiceHandle(SC_HANDLE hSCObject);
WINSIM_API BOOL WINAPI ChangeServiceConfigW(SC_HANDLE hService, DWORD dwServiceType,
                                            DWORD dwStartType, DWORD dwErrorControl,
                                            LPCWSTR lpBinaryPathName, LPCWSTR lpLoadOrderGroup,
                                            LPDWORD lpdwTagId, LPCWSTR lpDependencies,
                                            LPCWSTR lpServiceStartName, LPCWSTR lpPassword,
                                            LPCWSTR lpDisplayName);
// Levels SERVICE_CONFIG_DESCRIPTION, SERVICE_CONFIG_DELAYED_AUTO_START_INFO and
// SERVICE_CONFIG_PRESHUTDOWN_INFO; other real levels fail with ERROR_NOT_SUPPORTED, unknown
// ones with ERROR_INVALID_LEVEL. A null lpInfo changes nothing.
WINSIM_API BOOL WINAPI ChangeServiceConfig2W(SC_HANDLE hService, DWORD dwInfoLevel, LPVOID lpInfo);
// The configuration as the service's key holds it. A buffer smaller than *pcbBytesNeeded
// fails with ERROR_INSUFFICIENT_BUFFER.
WINSIM_API BOOL WINAPI QueryServiceConfigW(SC_HANDLE hService,
                                           LPQUERY_SERVICE_CONFIGW lpServiceConfig, DWORD cbBufSize,
                                           LPDWORD pcbBytesNeeded);
// Levels SERVICE_CONFIG_DESCRIPTION and SERVICE_CONFIG_DELAYED_AUTO_START_INFO, with the
// errors of ChangeServiceConfig2W and the buffer protocol of QueryServiceConfigW.
WINSIM_API BOOL WINAPI QueryServiceConfig2W(SC_HANDLE hService, DWORD dwInfoLevel, LPBYTE lpBuffer,
                                            DWORD cbBufSize, LPDWORD pcbBytesNeeded);
WINSIM_API BOOL WINAPI QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus);
// Every report is recorded (see "winapi/control/services.h").
WINSIM_API BOOL WINAPI SetServiceStatus(SERVICE_STATUS_HANDLE hServiceStatus,
                                        LPSERVICE_STATUS lpServiceStatus);

}  // extern "C"

#define SERVICES_ACTIVE_DATABASE SERVICES_ACTIVE_DATABASEW
#define OpenSCManager OpenSCManagerW
#define OpenService OpenServiceW
#define ChangeServiceConfig ChangeServiceConfigW
#define ChangeServiceConfig2 ChangeServiceConfig2W
#define QueryServiceConfig QueryServiceConfigW
#define QueryServiceConfig2 QueryServiceConfig2W
#define QUERY_SERVICE_CONFIG QUERY_SERVICE_CONFIGW
#define LPQUERY_SERVICE_CONFIG LPQUERY_SERVICE_CONFIGW
#define SERVICE_DESCRIPTION SERVICE_DESCRIPTIONW
#define LPSERVICE_DESCRIPTION LPSERVICE_DESCRIPTIONW
