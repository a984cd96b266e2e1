#pragma once
// PendingTicker: while it lives, a thread of its own repeats the reporter's pending state every
// `period` with the next checkpoint, so that the service control manager sees progress through
// an OnStart that blocks for the whole out-of-box wait, or a long OnStop. Outside a pending
// state a tick reports nothing. Construct it around the call; the destructor stops the thread
// and joins it, so no tick is reported after the destructor has returned.

#include <chrono>
#include <thread>

#include "orvsvc/one_shot_event.h"
#include "orvsvc/status_reporter.h"

namespace orvsvc {

class PendingTicker {
  public:
    PendingTicker(StatusReporter& reporter, std::chrono::milliseconds period);
    ~PendingTicker();
    PendingTicker(const PendingTicker&) = delete;
    PendingTicker& operator=(const PendingTicker&) = delete;

  private:
    void Run();

    StatusReporter& reporter_;
    const std::chrono::milliseconds period_;
    OneShotEvent stop_;
    std::thread thread_;  // declared last: it starts once the members it uses exist
};

}  // namespace orvsvc
