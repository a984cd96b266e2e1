#include "platform/agents/extension_module.h"

#include "sim/client/agent_support.h"

namespace ORV {

ORVSIM_DEFINE_AGENT_MEMBERS(ExtensionModule)

}  // namespace ORV
