#pragma once
// The whole control API of the simulated machine.

#include "winapi/sim/clock.h"
#include "winapi/sim/com.h"
#include "winapi/sim/eventlog.h"
#include "winapi/sim/failures.h"
#include "winapi/sim/machine.h"
#include "winapi/sim/objects.h"
#include "winapi/sim/registry.h"
#include "winapi/sim/services.h"
