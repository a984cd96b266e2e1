// Process-wide state of the library and its three entry points.

#include "service/entry_points.h"

#include <future>
#include <memory>

#include "base/annotated_mutex.h"
#include "platform/common_base/log.h"
#include "service/control_work_item.h"
#include "service/orv_client_service.h"
#include "service/service_slot.h"

namespace {

constexpr DWORD kMaxControlThreads = 8;
constexpr DWORD kStopGraceMs = 2000;
constexpr int kLogLevelDebug = 4;
constexpr const wchar_t* kControlScope = L"OnServiceControlHandle";

// The one service object. Users pin it, so OnStop never destroys it under a control or a
// start still running on it.
ServiceSlot g_service;

// The private control pool and its environment: OnStart and OnStop replace them while
// controls read them.
tsa::Mutex g_poolMutex;
PTP_POOL g_threadPool GUARDED_BY(g_poolMutex) = nullptr;
TP_CALLBACK_ENVIRON g_callbackEnviron GUARDED_BY(g_poolMutex) = {};

// The member stop's task; OnStop's thread only.
std::shared_future<void> g_stopFuture;

void SetUpThreadPool() {
    tsa::MutexLock lock(g_poolMutex);
    if (g_threadPool != nullptr) {
        // A repeated start replaces the pool; work already queued on the old one still runs.
        CloseThreadpool(g_threadPool);
        g_threadPool = nullptr;
    }
    InitializeThreadpoolEnvironment(&g_callbackEnviron);
    g_threadPool = CreateThreadpool(nullptr);
    if (g_threadPool != nullptr) {
        SetThreadpoolThreadMaximum(g_threadPool, kMaxControlThreads);
        SetThreadpoolCallbackPool(&g_callbackEnviron, g_threadPool);
    }
}

void CloseThreadPool() {
    tsa::MutexLock lock(g_poolMutex);
    if (g_threadPool != nullptr) {
        CloseThreadpool(g_threadPool);
        g_threadPool = nullptr;
    }
    // Controls after this run on the process's default pool. Until the stop retires the
    // service they still reach it; after that they find none.
    InitializeThreadpoolEnvironment(&g_callbackEnviron);
}

void NTAPI ControlWorkCallback(PTP_CALLBACK_INSTANCE /*instance*/, PVOID context, PTP_WORK work) {
    std::unique_ptr<ControlWorkItem> item(static_cast<ControlWorkItem*>(context));
    if (item) {
        if (ServiceSlot::Use service = g_service.Acquire()) {
            service->OnServiceControlHandle(item->control, item->eventType, item->eventData,
                                            item->context);
        }
    }
    CloseThreadpoolWork(work);
}

}  // namespace

void OnStart(SERVICE_STATUS_HANDLE statusHandle) {
    SetUpThreadPool();
    ORV::utility::InitLog(ORV::g_log, L"OrvService.log", kLogLevelDebug);
    // A repeated start creates no second object: the one there keeps running.
    if (ServiceSlot::Use service = g_service.Install(
            [statusHandle] { return std::make_unique<OrvClientService>(statusHandle); })) {
        service->OnStart(0, nullptr);
    }
}

DWORD OnServiceControlHandle(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context) {
    std::unique_ptr<ControlWorkItem> item =
        ControlWorkItem::Make(control, eventType, eventData, context);
    tsa::MutexLock lock(g_poolMutex);
    PTP_WORK work = CreateThreadpoolWork(&ControlWorkCallback, item.get(), &g_callbackEnviron);
    if (work == nullptr) {
        ORV::g_log.e(L"%s: control %lu dropped: no work object (error %lu)", kControlScope, control,
                     GetLastError());
        return NO_ERROR;
    }
    item.release();  // the work callback owns it now
    SubmitThreadpoolWork(work);
    return NO_ERROR;
}

void OnStop() {
    CloseThreadPool();
    ServiceSlot::Use service = g_service.Acquire();
    if (!service) {
        return;
    }
    g_stopFuture = std::async(std::launch::async, [pinned = std::move(service)]() mutable {
                       // Unpinned when the stop returns, not when the future goes.
                       const ServiceSlot::Use stopping = std::move(pinned);
                       stopping->OnStop();
                   }).share();
    Sleep(kStopGraceMs);
    try {
        g_stopFuture.get();
    } catch (...) {
        // The exception is the host's to see, but the object goes now, while the process
        // and the sibling libraries it ends its threads with are still whole.
        g_service.Retire().reset();
        throw;
    }
    ORV::g_log.d(L"%s Wait timeout completed", L"OnStop");
    g_service.Retire().reset();
}
