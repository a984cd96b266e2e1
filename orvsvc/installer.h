#pragma once
// Registering ORVService with the service control manager and removing it again. Both run on
// the caller's thread, print what they did, and return the process exit status (exit_codes.h).
// Both need an administrator: a refusal (access denied) is reported and changes nothing.

namespace orvsvc {

// Creates ORVService for automatic start as LocalSystem, run by this executable (quoted full
// path), with its description, pre-shutdown timeout, failure actions that restart it, and
// failure actions on a stop with an error too. Refuses when the service exists. Should one of
// the secondary settings fail, the call and the error are named, the service stays installed
// (it runs without it), and the status is kExitPartial.
int InstallService();

// Stops ORVService if it runs (waiting up to a minute for it to stop), then deletes it. A
// service that does not stop in time is still deleted (kExitPartial): Windows removes it once
// it has stopped.
int UninstallService();

}  // namespace orvsvc
