#include "platform/kes/command_processor.h"

#include "base/annotated_mutex.h"
#include "base/guarded.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "KESCommandProcessor";

class ProcessorBook : public orvbase::Guarded<orvsim::CommandProcessorState> {
  public:
    // Whether the call changed anything.
    bool SetInitialized(bool initialized) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        if (state_.initialized == initialized) {
            return false;
        }
        state_.initialized = initialized;
        ++(initialized ? state_.inits : state_.uninits);
        return true;
    }
};

ProcessorBook& TheBook() {
    static ProcessorBook book;
    return book;
}

}  // namespace

KESCommandProcessor* KESCommandProcessor::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    static KESCommandProcessor processor;
    return &processor;
}

void KESCommandProcessor::Init() {
    TheBook().SetInitialized(true);
    orvsim::TraceCall(kComponent, "Init");
}

void KESCommandProcessor::UnInit() {
    TheBook().SetInitialized(false);
    orvsim::TraceCall(kComponent, "UnInit");
}

namespace orvsim {

CommandProcessorState CommandProcessor() {
    return TheBook().State();
}

namespace client {

void ResetCommandProcessor() {
    TheBook().Reset();
}

}  // namespace client
}  // namespace orvsim
