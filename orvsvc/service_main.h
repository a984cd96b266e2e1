#pragma once
// Running this process as the service ORVService under the service control manager.
//
// RunAsService (the main thread) connects with StartServiceCtrlDispatcherW. The manager then
// calls ServiceMain on a thread of the dispatcher's, and HandlerEx on the main thread, inside
// the dispatcher. ServiceMain registers HandlerEx, makes the executable's folder the current
// directory (services start in System32; the library writes OrvService.log in the current
// directory, so the log lands beside orvsvc.exe) and runs the service (ServiceHost::Run).
//
// The dispatcher returns once the service has reported SERVICE_STOPPED. After a pre-shutdown
// the library reports that itself, before OnStop has returned on ServiceMain's thread, so
// RunAsService waits for ServiceMain to finish before it returns: the process must not end
// under OnStop.

namespace orvsvc {

// Returns the process exit status: kExitOk once the service has stopped, kExitFailed when the
// dispatcher could not connect (the process was not started by the service manager; printed).
int RunAsService();

}  // namespace orvsvc
