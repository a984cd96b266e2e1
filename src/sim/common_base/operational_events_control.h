#pragma once
// Reading the operational events the client reported (C++ control API for tests and
// orvhost). Any thread.

#include <string>
#include <vector>

#include "shared/operational_event.h"

namespace orvsim {

// The events ORV::OperationalEventsManager::HandleEvent took, oldest first: the newest 1000.
// Each carries the realm that was set when it was taken (UTF-8) and the caller's text as its
// timestamp.
std::vector<ORV::OperationalEvent> OperationalEvents();
void ClearOperationalEvents();

// Clears the events and gives the manager a fresh state (no realm).
void ResetOperationalEvents();

}  // namespace orvsim
