#pragma once
// What a stop must have taken down, judged from the call trace and the stand-ins' state once
// the stop has returned.

namespace orvstress {

// For the first service of a process: every agent that got through Init was taken down once,
// the client's event monitor, the device-context monitor and the command processor are down,
// and the command processor's Init and UnInit never overlapped.
void ExpectFirstTakeDown();

}  // namespace orvstress
