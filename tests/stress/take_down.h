#pragma once
// What a stop must have taken down, judged from the call trace, the log and the stand-ins'
// state once the stop has returned.

#include <string>

namespace orvstress {

// What the load's one agent take-down could not reach. The take-down runs once per load: when
// the stop's cleanup runs it while the worker is still starting up (the agents are not yet
// fully initialised), whatever the worker starts afterwards, the device-context monitor or the
// command processor, stays up; the worker's own later UnInit finds the work done.
struct Leftovers {
    bool deviceContextMonitor = false;
    bool commandProcessor = false;

    bool Any() const { return deviceContextMonitor || commandProcessor; }
    std::string Describe() const;  // "none", "monitor", "command-processor", or both
};

// For the first service of a process: every agent that got through Init was taken down once,
// the client's event monitor is shut down, and the command processor's Init and UnInit never
// overlapped. The device-context monitor and the command processor are down too, unless the
// log shows the take-down ran before the worker started them; those are returned.
Leftovers ExpectFirstTakeDown();

}  // namespace orvstress
