#include "platform/common_base/download_agent.h"

#include <mutex>

#include "sim/common_base/agent_control.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "DownloadAgent";

std::mutex g_instanceMutex;
DownloadAgent* g_instance = nullptr;  // guarded by g_instanceMutex; owned by GetInstance's caller

}  // namespace

DownloadAgent* DownloadAgent::GetInstance() {
    const bool missing = orvsim::IsInstanceMissing(kComponent);
    orvsim::TraceCall(kComponent, "GetInstance", missing ? "null" : "instance");
    if (missing) {
        return nullptr;
    }
    std::lock_guard lock(g_instanceMutex);
    if (g_instance == nullptr) {
        g_instance = new DownloadAgent();
    }
    return g_instance;
}

DownloadAgent::DownloadAgent() : IORVAgent(L"DownloadAgent") {}

DownloadAgent::~DownloadAgent() {
    std::lock_guard lock(g_instanceMutex);
    if (g_instance == this) {
        g_instance = nullptr;
    }
}

bool DownloadAgent::IsReady() {
    orvsim::TraceCall(kComponent, "IsReady");
    return IsInitialized();
}
