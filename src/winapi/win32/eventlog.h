#pragma once
// The Windows Event Log, push subscriptions only: EvtSubscribe with a callback that the
// channel's own thread calls, EvtRender of an event as XML, EvtClose.

#include "winapi/win32/types.h"

using EVT_HANDLE = HANDLE;
using PEVT_HANDLE = HANDLE*;

enum EVT_SUBSCRIBE_FLAGS {
    EvtSubscribeToFutureEvents = 1,
    EvtSubscribeStartAtOldestRecord = 2,
    EvtSubscribeStartAfterBookmark = 3,
    EvtSubscribeOriginMask = 0x3,
    EvtSubscribeTolerateQueryErrors = 0x1000,
    EvtSubscribeStrict = 0x10000
};

enum EVT_SUBSCRIBE_NOTIFY_ACTION { EvtSubscribeActionError = 0, EvtSubscribeActionDeliver };

enum EVT_RENDER_FLAGS { EvtRenderEventValues = 0, EvtRenderEventXml, EvtRenderBookmark };

// Called on the channel's thread, one call at a time. For EvtSubscribeActionError, Event
// carries the Win32 error code instead of a handle. An event handle is valid until the
// callback returns; the machine closes it then.
using EVT_SUBSCRIBE_CALLBACK = DWORD(WINAPI*)(EVT_SUBSCRIBE_NOTIFY_ACTION Action, PVOID UserContext,
                                              EVT_HANDLE Event);

extern "C" {

// Session must be null (the local machine) and Callback set; SignalEvent pull
// subscriptions are not offered (ERROR_NOT_SUPPORTED). Channels: "System",
// "Application". Queries: null, "*", "Event/System[EventID=N]" and
// "*[System[EventID=N]]", also with several IDs joined by "or" inside the brackets.
WINSIM_API EVT_HANDLE WINAPI EvtSubscribe(EVT_HANDLE Session, HANDLE SignalEvent,
                                          LPCWSTR ChannelPath, LPCWSTR Query, EVT_HANDLE Bookmark,
                                          PVOID Context, EVT_SUBSCRIBE_CALLBACK Callback,
                                          DWORD Flags);
// Flags EvtRenderEventXml only. With too small a buffer: FALSE, ERROR_INSUFFICIENT_BUFFER,
// and *BufferUsed = the bytes needed, counting the terminating NUL.
WINSIM_API BOOL WINAPI EvtRender(EVT_HANDLE Context, EVT_HANDLE Fragment, DWORD Flags,
                                 DWORD BufferSize, PVOID Buffer, PDWORD BufferUsed,
                                 PDWORD PropertyCount);
// Closing a subscription from another thread waits for a callback of it that is running;
// after EvtClose returns no callback of that subscription starts.
WINSIM_API BOOL WINAPI EvtClose(EVT_HANDLE Object);

}  // extern "C"
