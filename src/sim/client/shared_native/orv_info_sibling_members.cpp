#include "shared/orv_info.h"

#include <string>

#include "base/guarded.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "OrvInfo";

struct Arranged {
    std::wstring version = L"1.0.0.0";
};

orvbase::Guarded<Arranged> g_arranged;

std::wstring ArrangedVersion() {
    return g_arranged.State().version;
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
    g_arranged.With([&](Arranged& arranged) { arranged.version = version; });
}

namespace client {

void ResetOrvInfo() {
    g_arranged.Reset();
}

}  // namespace client
}  // namespace orvsim
