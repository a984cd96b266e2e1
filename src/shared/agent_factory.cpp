#include "shared/agent_factory.h"

namespace orv {

// Member-wise in slot order. shared_ptr's copy assignment takes the new reference before it
// drops the old one, so an agent losing its last reference is destroyed at its own slot.
AgentFactory::AgentFactory(const AgentFactory& other) = default;
AgentFactory& AgentFactory::operator=(const AgentFactory& other) = default;

}  // namespace orv
