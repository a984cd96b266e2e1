// The ordered take-down of the agents, once per load of the library.

#include <exception>
#include <thread>
#include <vector>

#include "platform/common_base/log.h"
#include "platform/common_base/orv_agent.h"
#include "platform/common_base/string_utils.h"
#include "platform/event_manager/device_context_event_monitor.h"
#include "platform/kes/command_processor.h"
#include "service/orv_client_service.h"
#include "shared/thread_garbage_collector.h"
#include "winapi/thread_start.h"

namespace {
constexpr const wchar_t* kScope = L"OrvClientService::UnInit";

// Set by the first UnInit that does its work and never cleared: a service restarted within
// one load of the library takes no agent down a second time. Process-wide, so its lock is
// too: a second service object's UnInit does not hold the first one's _uninitMutex.
tsa::Mutex g_uninitTriggeredMutex;
bool g_uninitTriggered GUARDED_BY(g_uninitTriggeredMutex) = false;

// True for the first caller in the load, which has then set the flag.
bool ClaimUninit() {
    tsa::MutexLock lock(g_uninitTriggeredMutex);
    if (g_uninitTriggered) {
        return false;
    }
    g_uninitTriggered = true;
    return true;
}
}  // namespace

void OrvClientService::UnInit() {
    tsa::RecursiveMutexLock uninitLock(_uninitMutex);
    if (!ClaimUninit()) {
        ORV::g_log.d(L"%s: uninit already triggered", kScope);
        return;
    }
    ORV::g_log.d(L"%s: Service stop event received", kScope);

    // Each agent goes down on a thread of its own; all are joined below, after the command
    // processor and the monitor, and never with _agentsMutex held.
    std::vector<IORVAgent*> roster;
    {
        tsa::MutexViewLock agentsLock(_agentsLock);
        roster = _agents;
    }
    std::vector<std::thread> uninitThreads;
    for (auto agent = roster.rbegin(); agent != roster.rend(); ++agent) {
        IORVAgent* const current = *agent;
        if (current == nullptr) {
            continue;
        }
        tsa::MutexViewLock agentsLock(_agentsLock);
        if (!current->IsInitialized()) {
            continue;
        }
        try {
            ORV::g_log.d(L"%s: UnInit called for %s", kScope, current->Name());
            uninitThreads.push_back(orvwin::StartThread([current] { current->UnInit(); }));
            ORV::g_log.d(L"%s: UnInit completed for %s", kScope, current->Name());
        } catch (const std::exception& error) {
            ORV::g_log.e(L"%s: Exception during UnInit, %s", kScope,
                         ORV::String::UTF8ToUTF16(error.what()));
        }
    }

    {
        tsa::MutexViewLock agentsLock(_agentsLock);
        _commandProcessorTakenDown = true;
        if (_commandProcessor != nullptr) {
            ORV::g_log.d(L"%s: UnInit called for KESCommandProcessor", kScope);
            _commandProcessor->UnInit();
            ORV::g_log.d(L"%s: UnInit completed for KESCommandProcessor", kScope);
        }
    }
    {
        tsa::MutexViewLock agentsLock(_agentsLock);
        _deviceContextMonitorTakenDown = true;
        if (_deviceContextEventMonitor != nullptr) {
            ORV::g_log.d(L"%s: Stopping Global Context Event Monitor", kScope);
            _deviceContextEventMonitor->Stop();
        }
    }

    for (std::thread& thread : uninitThreads) {
        thread.join();
    }
    ORV::g_log.d(L"%s: Cleanup garbage collector", kScope);
    ORV::ThreadGarbageCollector::GetInstance()->CleanUp();
}
