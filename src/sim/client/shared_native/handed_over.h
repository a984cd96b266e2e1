#pragma once
// The status manager's class has no virtual destructor of ours to tell GetInstance that the
// instance its caller owned is gone. The service hands that instance to the helper factory,
// so the factory's setter reports it here and GetInstance watches it through a weak pointer.

#include <memory>

namespace ORV {
class OrvStatusManager;
}

namespace orvsim::client {

void StatusManagerHandedOver(const std::shared_ptr<ORV::OrvStatusManager>& owner);

}  // namespace orvsim::client
