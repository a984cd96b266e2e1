#pragma once
// What a stop must have done and taken down, judged from the log, the call trace and the
// stand-ins' state once the stop has returned.

namespace orvstress {

// OnStop ran once, its lines in order, and returned only after the one cleanup had ended,
// whoever ran it.
void ExpectStoppedOnce();

// For the first service of a process: every agent that got through Init was taken down once,
// the client's event monitor, the device-context monitor and the command processor are down,
// and the command processor's Init and UnInit never overlapped.
void ExpectFirstTakeDown();

}  // namespace orvstress
