// The one-time take-down of the service: OnStop or pre-shutdown claims it, the other waits
// (OnStop) or skips (pre-shutdown).

#include <new>

#include "base/scope_exit.h"
#include "platform/common_base/log.h"
#include "platform/common_base/reg_monitor.h"
#include "platform/common_base/string_utils.h"
#include "platform/core/core_api.h"
#include "platform/event_manager/orv_event_monitor.h"
#include "platform/shared_native/publisher_subscriber.h"
#include "service/orv_client_service.h"
#include "shared/agent_factory.h"
#include "shared/client_vocabulary.h"
#include "shared/notification_data.h"
#include "shared/orv_helper_factory.h"
#include "shared/orvcore_types.h"

namespace {
using orv::bus::kStateNone;
using orv::bus::kTopicServiceStopping;
constexpr const wchar_t* kStopScope = L"OrvClientService::OnStop";
constexpr const wchar_t* kCleanupScope = L"OrvClientService::Cleanup";
constexpr DWORD kServiceStartWaitMs = 10000;
}  // namespace

bool OrvClientService::ClaimCleanup() {
    // The claim and the in-progress mark are made together, so a loser never sees the one
    // without the other.
    tsa::MutexLock lock(_cleanupMutex);
    bool expected = false;
    if (!_cleanupStarted.compare_exchange_strong(expected, true)) {
        return false;
    }
    _cleanupInProgress = true;
    return true;
}

void OrvClientService::MarkCleanupDone() {
    {
        tsa::MutexLock lock(_cleanupMutex);
        _cleanupInProgress = false;
    }
    _cleanupDone.NotifyAll();
}

std::unique_ptr<std::thread> OrvClientService::TakeWorkerThread() {
    tsa::MutexLock lock(_workerThreadMutex);
    return std::move(_workerThread);
}

void OrvClientService::ReleaseHelperFactory() {
    tsa::MutexLock lock(_helperFactoryMutex);
    orv::ORVHelperFactory::ReleaseInstance();
}

void OrvClientService::ReleaseFactories() {
    orv::AgentFactory::ReleaseInstance();
    ReleaseHelperFactory();
    _factoriesHeld = false;
}

void OrvClientService::JoinStartupTypeWatcher() {
    {
        // The watcher takes no lock of ours and ends on the stop event, set before this.
        tsa::MutexViewLock lock(_agentsLock);
        if (_startupTypeThread && _startupTypeThread->joinable()) {
            _startupTypeThread->join();
            _startupTypeThread.reset();
        }
    }
    if (HANDLE changeEvent = _hStartupTypeChangeEvent.exchange(nullptr); changeEvent != nullptr) {
        CloseHandle(changeEvent);
    }
}

void OrvClientService::OnStop() {
    try {
        ORV::g_log.d(L"%s: Service is stopping", kStopScope);
        if (ClaimCleanup()) {
            ORV::g_log.d(L"%s: Starting cleanup from OnStop", kStopScope);
            Cleanup();
        } else {
            ORV::g_log.d(L"%s: Cleanup already started, waiting for completion", kStopScope);
            tsa::MutexLock lock(_cleanupMutex);
            while (_cleanupInProgress) {
                _cleanupDone.Wait(_cleanupMutex);
            }
            ORV::g_log.d(L"%s: Cleanup completion confirmed", kStopScope);
        }
        ORV::g_log.d(L"%s: Service stopped", kStopScope);
    } catch (const std::bad_array_new_length& error) {
        ORV::g_log.e(L"%s: Exception, %s", kStopScope, ORV::String::UTF8ToUTF16(error.what()));
    }
}

void OrvClientService::Cleanup() {
    // Whatever way Cleanup is left, waiters must be woken: OnStop's loser path would otherwise
    // wait forever on an exception other than the one caught here.
    const orvbase::ScopeExit doneOnExit([this] { MarkCleanupDone(); });

    try {
        CleanupSteps();
    } catch (const std::bad_array_new_length& error) {
        ORV::g_log.e(L"%s: Exception, %s", kCleanupScope, ORV::String::UTF8ToUTF16(error.what()));
    }
}

void OrvClientService::CleanupSteps() {
    ORV::g_log.d(L"%s: Enter", kCleanupScope);
    {
        tsa::MutexLock lock(_cleanupMutex);
        _cleanupStarted = true;
        _cleanupInProgress = true;
    }

    ORVNotificationData stopping(kTopicServiceStopping, kStateNone, L"");
    ORVPublisherSubscriber* bus = ORVPublisherSubscriber::GetInstance();
    bus->Notify(stopping, L"");

    if (ORVCore::ICoreApi* coreApi = ORVCore::GetInst_CoreApi(); coreApi != nullptr) {
        coreApi->OnServiceStop();
    }

    SetEvent(_hStopEvent);
    bus->SetStopRequest();
    bus->Cleanup();
    {
        // The bus's cleanup has dropped every subscription, this object's among them.
        tsa::MutexLock lock(_cleanupMutex);
        _busSubscription.clear();
    }

    if (!_fullyInitialized) {
        ORV::g_log.d(L"%s: calling uninit", kCleanupScope);
        UnInit();
        ORV::g_log.d(L"%s: completed uninit", kCleanupScope);
    }

    JoinStartupTypeWatcher();

    if (std::unique_ptr<std::thread> worker = TakeWorkerThread()) {
        worker->join();
    } else {
        ORV::g_log.d(L"%s: wait for service to start fully", kCleanupScope);
        WaitForSingleObject(_hServiceStartedEvent, kServiceStartWaitMs);
        // The start may have launched the worker just after the look above; it has seen
        // the stop event by now and ends after its UnInit.
        if (std::unique_ptr<std::thread> late = TakeWorkerThread()) {
            late->join();
        }
    }
    // A worker stopped between its first stop probe and the startup-type set-up starts the
    // watcher only after the join above; that watcher has ended on the stop event by now.
    JoinStartupTypeWatcher();
    CloseEventLogSubscription();

    ORVEventMonitor::GetInstance()->Shutdown();
    if (_regMonitor) {
        _regMonitor->Stop();
    }
    ReleaseFactories();

    if (SUCCEEDED(_hResCoInit)) {
        ORV::g_log.d(L"%s: Calling  CoUninitialize", kCleanupScope);
        CoUninitialize();
        _hResCoInit = E_UNEXPECTED;
    } else {
        ORV::g_log.e(
            L"%s: Either CoInitializeEx did not called or failed with %d. Avoid calling CoUninitialize",
            kCleanupScope, _hResCoInit);
    }
    ORV::g_log.d(L"%s: Exit", kCleanupScope);
}
