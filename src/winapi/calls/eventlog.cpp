// Win32 event-log calls over the machine's channels.

#include "winapi/win32/eventlog.h"

#include "winapi/machine/machine.h"
#include "winapi/machine/thread_identity.h"
#include "winapi/win32/errors.h"

using winsim::detail::Call;
using winsim::detail::Machine;
using winsim::detail::SetLastErrorCode;

extern "C" {

EVT_HANDLE WINAPI EvtSubscribe(EVT_HANDLE Session, HANDLE SignalEvent, LPCWSTR ChannelPath,
                               LPCWSTR Query, EVT_HANDLE Bookmark, PVOID Context,
                               EVT_SUBSCRIBE_CALLBACK Callback, DWORD Flags) {
    Machine& m = Machine::Get();
    if (const auto code = m.failures.Check(Call::EvtSubscribe, __builtin_return_address(0))) {
        SetLastErrorCode(static_cast<DWORD>(*code));
        return nullptr;
    }
    if (Session != nullptr) {
        SetLastErrorCode(ERROR_INVALID_HANDLE);  // remote sessions do not exist here
        return nullptr;
    }
    if (Callback == nullptr && SignalEvent != nullptr) {
        SetLastErrorCode(ERROR_NOT_SUPPORTED);  // pull subscriptions (EvtNext) are not offered
        return nullptr;
    }
    return m.eventlog.Subscribe(ChannelPath, Query, Bookmark, Context, Callback, Flags);
}

BOOL WINAPI EvtRender(EVT_HANDLE Context, EVT_HANDLE Fragment, DWORD Flags, DWORD BufferSize,
                      PVOID Buffer, PDWORD BufferUsed, PDWORD PropertyCount) {
    Machine& m = Machine::Get();
    if (const auto code = m.failures.Check(Call::EvtRender, __builtin_return_address(0))) {
        SetLastErrorCode(static_cast<DWORD>(*code));
        return FALSE;
    }
    // Only XML rendering; value rendering needs render contexts, which are not offered.
    if (Flags != EvtRenderEventXml || Context != nullptr || BufferUsed == nullptr) {
        SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (PropertyCount != nullptr) {
        *PropertyCount = 0;
    }
    return m.eventlog.RenderXml(Fragment, BufferSize, Buffer, BufferUsed) ? TRUE : FALSE;
}

BOOL WINAPI EvtClose(EVT_HANDLE Object) {
    return Machine::Get().eventlog.Close(Object) ? TRUE : FALSE;
}

}  // extern "C"
