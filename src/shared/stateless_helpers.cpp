#include "shared/stateless_helpers.h"

// These classes hold no data, so there is nothing to assign.

namespace orv {
Persona& Persona::operator=(const Persona& /*other*/) {
    return *this;
}
Persona& Persona::operator=(Persona&& /*other*/) noexcept {
    return *this;
}
}  // namespace orv

CriticalEventLogger& CriticalEventLogger::operator=(const CriticalEventLogger& /*other*/) {
    return *this;
}
CriticalEventLogger& CriticalEventLogger::operator=(CriticalEventLogger&& /*other*/) noexcept {
    return *this;
}

namespace ORV::DataSync {
CustomDataFilter& CustomDataFilter::operator=(const CustomDataFilter& /*other*/) {
    return *this;
}
CustomDataFilter& CustomDataFilter::operator=(CustomDataFilter&& /*other*/) noexcept {
    return *this;
}
}  // namespace ORV::DataSync

GpuTagGenerator& GpuTagGenerator::operator=(const GpuTagGenerator& /*other*/) {
    return *this;
}
GpuTagGenerator& GpuTagGenerator::operator=(GpuTagGenerator&& /*other*/) noexcept {
    return *this;
}

NotificationAlertUtility& NotificationAlertUtility::operator=(
    const NotificationAlertUtility& /*other*/) {
    return *this;
}
NotificationAlertUtility& NotificationAlertUtility::operator=(
    NotificationAlertUtility&& /*other*/) noexcept {
    return *this;
}
