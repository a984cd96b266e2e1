#include "orvsvc/pending_ticker.h"

namespace orvsvc {

PendingTicker::PendingTicker(StatusReporter& reporter, std::chrono::milliseconds period)
    : reporter_(reporter), period_(period), thread_([this] { Run(); }) {}

PendingTicker::~PendingTicker() {
    stop_.Set();
    thread_.join();
}

void PendingTicker::Run() {
    while (!stop_.WaitFor(period_)) {
        reporter_.Tick();
    }
}

}  // namespace orvsvc
