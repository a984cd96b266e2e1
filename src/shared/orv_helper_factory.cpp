#include "shared/orv_helper_factory.h"

namespace orv {

// Member-wise in slot order, with the same reference-count sequence as orv::AgentFactory.
ORVHelperFactory::ORVHelperFactory(const ORVHelperFactory& other) = default;
ORVHelperFactory& ORVHelperFactory::operator=(const ORVHelperFactory& other) = default;

}  // namespace orv
