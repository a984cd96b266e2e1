#include "winapi/control/services.h"

#include "winapi/machine/machine.h"

namespace winsim::services {

namespace {
detail::ServiceManager& Manager() {
    return detail::Machine::Get().services;
}
}  // namespace

void Install(std::wstring_view name, const ServiceConfig& config) {
    Manager().Install(name, config);
}

bool Remove(std::wstring_view name) {
    return Manager().Remove(name);
}

std::optional<ServiceConfig> Get(std::wstring_view name) {
    return Manager().Get(name);
}

SERVICE_STATUS_HANDLE StatusHandle(std::wstring_view name) {
    return Manager().StatusHandle(name);
}

std::vector<StatusReport> StatusReports() {
    return Manager().Reports();
}

void ClearStatusReports() {
    Manager().ClearReports();
}

bool WaitForStatusReports(std::size_t count, std::chrono::milliseconds realTimeout) {
    return Manager().WaitForReports(count, realTimeout);
}

}  // namespace winsim::services
