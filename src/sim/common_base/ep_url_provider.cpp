#include "platform/common_base/ep_url_provider.h"

#include "base/annotated_mutex.h"
#include "sim/common_base/environment_control.h"
#include "sim/common_base/registry_access.h"
#include "sim/trace.h"

namespace ORV {
namespace {

constexpr char kComponent[] = "ORV::EpUrlProvider";

tsa::Mutex g_instanceMutex;
std::weak_ptr<EpUrlProvider> g_instance GUARDED_BY(g_instanceMutex);

}  // namespace

std::shared_ptr<EpUrlProvider> EpUrlProvider::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    tsa::MutexLock lock(g_instanceMutex);
    auto instance = g_instance.lock();
    if (!instance) {
        instance = std::make_shared<EpUrlProvider>();
        g_instance = instance;
    }
    return instance;
}

EpUrlProvider::EpUrlProvider() = default;

bool EpUrlProvider::GetRealm(std::wstring& realm) {
    auto read = orvsim::registry::ReadString(HKEY_LOCAL_MACHINE, orvsim::kRealmKeyPath,
                                             orvsim::kRealmValueName);
    realm = read.value_or(std::wstring());
    const bool found = read.has_value() && !realm.empty();
    orvsim::TraceCall(kComponent, "GetRealm", realm, found);
    return found;
}

}  // namespace ORV
