#pragma once
// The whole control API of the simulated machine.

#include "winapi/control/clock.h"
#include "winapi/control/com.h"
#include "winapi/control/eventlog.h"
#include "winapi/control/failures.h"
#include "winapi/control/machine.h"
#include "winapi/control/objects.h"
#include "winapi/control/registry.h"
#include "winapi/control/services.h"
