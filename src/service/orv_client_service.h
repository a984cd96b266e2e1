#pragma once
// OrvClientService: the service object. One per process, created by the OnStart entry point and
// destroyed by the OnStop entry point after its OnStop has returned.
//
// Threads that act on it:
//   - the host's start thread: OnStart (may block for as long as Windows setup lasts);
//   - the worker thread (OrvWorkerThread), owned through _workerThread, joined by Cleanup
//     (by the destructor when an exception cut Cleanup short);
//   - the startup-type watcher (CheckAndUpdateORVStartUpType), owned through
//     _startupTypeThread, created and joined under _agentsMutex;
//   - the private control pool: OnServiceControlHandle, possibly several at once;
//   - the bus's delivery thread: OnORVNotification;
//   - the event-log channel thread: EventLogCallback;
//   - the stop task: OnStop, which runs Cleanup unless pre-shutdown (a pool thread) won it.
// Lock order: _uninitMutex before _agentsMutex. No lock is held across the worker join.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/annotated_mutex.h"
#include "base/thread_annotations.h"
#include "shared/orv_helper_factory.h"
#include "winapi/windows_api.h"

class IORVAgent;
class IConfigAgent;
class IMDMAgent;
class IDownloadAgent;
class IAppProvisioningAgent;
class IClientBrokerManager;
class IDeployAgent;
class IDataSyncAgent;
class IEventManager;
class IExtensionModule;
class ORVNotificationData;
class DeviceContextEventMonitor;
class KESCommandProcessor;
class UserProcessAgent;
namespace orv::registration {
class IDeviceRegistration;
}
namespace orv_core {
class ICoreAdapter;
}
class ApplicabilityEvaluator;
namespace ORV {
class CRegMonitor;
class DeviceInfoProvider;
class OrvStatusManager;
}  // namespace ORV
namespace ORV::AgentInterface::Notification {
class INotificationAgent;
}

class OrvClientService final {
  public:
    // Creates the three start-up events; everything else starts empty.
    explicit OrvClientService(SERVICE_STATUS_HANDLE statusHandle);
    // Closes the events and the running mutex and drops the agents. Cleanup must have run
    // (it joins the threads and closes the startup-type event).
    ~OrvClientService();
    OrvClientService(const OrvClientService&) = delete;
    OrvClientService& operator=(const OrvClientService&) = delete;

    // Host's start thread, once. Returns once the worker is launched or start-up gave up;
    // blocks meanwhile for as long as Windows setup and OOBE last.
    virtual void OnStart(DWORD argc, LPWSTR* argv);
    // Stop task thread. Runs the one-time Cleanup, or waits for the one pre-shutdown runs.
    virtual void OnStop();
    // Control pool thread, any number at once. Always returns NO_ERROR.
    virtual DWORD OnServiceControlHandle(DWORD control, DWORD eventType, void* eventData,
                                         void* context);

    // True when a stop was requested; UnInit has then run. Any thread.
    bool IsServiceStopInitiated();

    // Bus delivery thread.
    void OnORVNotification(ORVNotificationData& notification);

    // Brings the service's start type in line with `delayedStart`; silent on failure.
    void ChangeORVStartUpType(bool delayedStart);

    // The time-change announcement, shared by the event-log callback and the time-change
    // control. Any thread; serialized by _timeChangeMutex.
    void SendTimeChangeNotification(int32_t timeDiffSeconds) EXCLUDES(_timeChangeMutex);

    // Event-log channel thread; `context` is the service object.
    static DWORD WINAPI EventLogCallback(EVT_SUBSCRIBE_NOTIFY_ACTION action, PVOID context,
                                         EVT_HANDLE event);
    // |TimeDeltaInMs| of a rendered event, 0 when it has none or cannot be rendered.
    int64_t GetTimeDeltaFromEvent(EVT_HANDLE event);

    // The session id carried by a session-change control's event data, or -1.
    int32_t GetSessionIdOfLoggedOffUser(void* eventData);

  private:
    // Worker thread steps, in the order the worker runs them.
    void OrvWorkerThread();
    void CreateRunningMutex();
    void StartDeviceContextMonitor();
    void ReadRealm();
    bool SetUpStartupTypeHandling();  // true on ARM64
    void SubscribeToSystemEventLog();
    void InitializeCommandProcessor();
    void RecordStartupEvent();
    void LogDeviceContext();
    void RegisterDevice();
    bool WaitForFullInit();  // false when the stop came first
    bool WaitOobeCompletion();
    bool CheckImageState();
    void IsImageStateComplete(bool& complete);
    void StopProbeUnInit();

    // Agent roster (worker thread).
    using Roster = std::array<IORVAgent*, 12>;
    // The shared helpers the factory set-up makes; the worker holds them until it returns.
    struct HelperReferences {
        std::shared_ptr<ORV::OrvStatusManager> statusManager;
        std::shared_ptr<ORV::DeviceInfoProvider> deviceInfoProvider;
        std::shared_ptr<ApplicabilityEvaluator> applicabilityEvaluator;
    };
    HelperReferences SetUpHelperFactory();
    void CreateFirstAgentGroup(Roster& roster);
    void CreateSecondAgentGroup(Roster& roster);
    bool InitializeAgents();
    void FullyInitializeAgents();
    void TakeDown(const HelperReferences& helpers);

    // Runs `use` on the process's helper factory under _helperFactoryMutex and returns what
    // it returns (a helper it copies out lives on after the factory's release).
    template <class Use>
    auto WithHelperFactory(Use&& use) EXCLUDES(_helperFactoryMutex) {
        tsa::MutexLock lock(_helperFactoryMutex);
        return use(*orv::ORVHelperFactory::GetInstance());
    }
    void ReleaseHelperFactory() EXCLUDES(_helperFactoryMutex);
    void ReleaseFactories();
    void EndBusSubscription();

    // Subscribes OnORVNotification to the bus unless a cleanup has been claimed: that cleanup
    // stops the bus, and a subscription made after it would outlive this object.
    void SubscribeUnlessCleanupClaimed();

    void Cleanup();
    void CleanupSteps();
    void UnInit();
    bool ClaimCleanup();
    void MarkCleanupDone();
    std::unique_ptr<std::thread> TakeWorkerThread();
    void JoinStartupTypeWatcher();
    void CloseEventLogSubscription();

    void DispatchControl(DWORD control, DWORD eventType, void* eventData, void* context);
    void HandleClientControls(DWORD control, DWORD eventType, void* eventData, void* context);
    void HandlePreShutdown();
    void HandleTimeChangeControl(const void* eventData);
    void Publish(int topicId, int eventState);

    void HandleSessionChange(DWORD eventType, void* eventData);
    void OnSessionLogon(int32_t sessionId, UserProcessAgent& userProcess);
    void OnSessionLogoff(int32_t sessionId, UserProcessAgent& userProcess);
    void OnSessionUnlock(int32_t sessionId, UserProcessAgent& userProcess);
    void RestartUserProcessIfNeeded(UserProcessAgent& userProcess);
    void RefreshPersonaTags();

    void CheckAndUpdateORVStartUpType();
    bool IsDelayedStartWanted();
    void EvaluateStartUpType();

    // Plain std::mutex: the agent initializer takes it by reference as that type. The
    // service itself locks it through _agentsLock, which the analysis checks.
    std::mutex _agentsMutex;
    tsa::MutexView _agentsLock{_agentsMutex};
    // Filled by the worker thread; UnInit reads it.
    std::vector<IORVAgent*> _agents GUARDED_BY(_agentsLock);

    // Handles are created in the constructor and closed in the destructor; setting and
    // testing events is thread-safe.
    HANDLE _hStopEvent = nullptr;
    HANDLE _hRunningMutex = nullptr;  // worker thread only
    // Launched by OnStart, taken and joined by Cleanup, which may run on another thread.
    tsa::Mutex _workerThreadMutex;
    std::unique_ptr<std::thread> _workerThread GUARDED_BY(_workerThreadMutex);
    std::unique_ptr<std::thread> _startupTypeThread GUARDED_BY(_agentsLock);
    HRESULT _hResCoInit = E_UNEXPECTED;  // OnStart writes, Cleanup reads
    HANDLE _hFullInitEvent = nullptr;
    // Created by the worker before the watcher starts; closed by Cleanup after the join.
    std::atomic<HANDLE> _hStartupTypeChangeEvent{nullptr};
    HANDLE _hServiceStartedEvent = nullptr;
    tsa::RecursiveMutex _uninitMutex;
    tsa::Mutex _timeChangeMutex;
    // Guards the process-wide helper factory, which Cleanup releases while controls may still
    // read it: a control gets its helper before the release or finds the factory empty.
    tsa::Mutex _helperFactoryMutex;
    int64_t _lastTimeChangeNotification GUARDED_BY(_timeChangeMutex) = 0;
    std::atomic<bool> _cleanupStarted{false};
    tsa::Mutex _cleanupMutex;
    tsa::CondVar _cleanupDone;
    // Written under _cleanupMutex, which a waiter on _cleanupDone holds to read it.
    std::atomic<bool> _cleanupInProgress{false};
    // True from the worker's factory set-up until Cleanup releases the process's agent and
    // helper factories. A take-down cut short leaves it set, and the destructor releases them,
    // so that a restart does not adopt their singletons a second time.
    std::atomic<bool> _factoriesHeld{false};
    // This object's bus subscription until the cleanup stops the bus; a take-down cut short
    // before that leaves it, and the destructor ends it, since its handler calls this object.
    std::wstring _busSubscription GUARDED_BY(_cleanupMutex);
    SERVICE_STATUS_HANDLE _hStatus;
    std::unique_ptr<ORV::CRegMonitor> _regMonitor;  // OnStart creates; Stop from Cleanup

    // Agents: written by the worker thread (see _agents).
    std::shared_ptr<orv::registration::IDeviceRegistration> _deviceRegistrationAgent;
    std::shared_ptr<orv_core::ICoreAdapter> _coreAdapterAgent;
    std::shared_ptr<IConfigAgent> _configPolicyAgent;
    std::shared_ptr<IMDMAgent> _mdmAgent;
    std::shared_ptr<IDownloadAgent> _downloadAgent;
    std::shared_ptr<ORV::AgentInterface::Notification::INotificationAgent> _notificationAgent;
    std::shared_ptr<IAppProvisioningAgent> _appProvisioningAgent;
    std::shared_ptr<IClientBrokerManager> _clientBrokerManager;
    std::shared_ptr<IDeployAgent> _deployAgent;
    std::shared_ptr<IDataSyncAgent> _dataSyncAgent;
    std::shared_ptr<IEventManager> _eventManager;
    std::shared_ptr<IExtensionModule> _extensionModule;

    std::atomic<bool> _fullyInitialized{false};
    std::atomic<bool> _serviceStarted{false};
    DeviceContextEventMonitor* _deviceContextEventMonitor GUARDED_BY(_agentsLock) = nullptr;
    KESCommandProcessor* _commandProcessor GUARDED_BY(_agentsLock) = nullptr;
    // Set where the load's one take-down passes the command processor and the monitor. The
    // worker takes down what it starts after that itself: nothing else would.
    bool _commandProcessorTakenDown GUARDED_BY(_agentsLock) = false;
    bool _deviceContextMonitorTakenDown GUARDED_BY(_agentsLock) = false;

    // The System event-log subscription, kept so that Cleanup can close it before the
    // object goes away: its callback must never reach a destroyed service.
    std::atomic<EVT_HANDLE> _hEventLogSubscription{nullptr};
};
