#include "shared/orv_info.h"

#include <string>

#include "base/annotated_mutex.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "OrvInfo";
constexpr wchar_t kDefaultVersion[] = L"1.0.0.0";

tsa::Mutex g_versionMutex;
std::wstring g_version GUARDED_BY(g_versionMutex) = kDefaultVersion;

std::wstring ArrangedVersion() {
    tsa::MutexLock lock(g_versionMutex);
    return g_version;
}

}  // namespace

OrvInfo* OrvInfo::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    static OrvInfo* const info = [] {
        // Filled once and only read afterwards; never deleted, callers keep plain pointers.
        auto* made = new OrvInfo();
        made->service_version_ = ArrangedVersion();
        made->client_version_ = made->service_version_;
        made->product_name_ = L"ORV Client";
        made->install_path_ = L"C:\\Program Files\\Quelro\\ORV";
        return made;
    }();
    return info;
}

std::wstring OrvInfo::GetOrvServiceVersion() {
    orvsim::TraceCall(kComponent, "GetOrvServiceVersion");
    // The arranged version rather than the field, so a scenario can change it at any time.
    return ArrangedVersion();
}

namespace orvsim {

void ArrangeServiceVersion(const std::wstring& version) {
    tsa::MutexLock lock(g_versionMutex);
    g_version = version;
}

namespace client {

void ResetOrvInfo() {
    ArrangeServiceVersion(kDefaultVersion);
}

}  // namespace client
}  // namespace orvsim
