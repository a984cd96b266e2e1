#include "platform/common_base/utility.h"
#include "shared/agent_initializer.h"
#include "sim/common_base/common_base_control.h"
#include "sim/common_base/internal_reset.h"
#include "sim/trace.h"

namespace orvsim {

void ResetCommonBase() {
    ResetAgentArrangements();
    ResetEnvironmentArrangements();
    internal::ResetLog();
    ResetOperationalEvents();
    internal::ResetCriticalEventCallback();
    internal::ResetAgentInitializer();
    ORV::utility::OrvVersionName.clear();
    ClearArrangedThrows();
    ClearArrangedPauses();
    ClearArrangedDelays();
}

}  // namespace orvsim
