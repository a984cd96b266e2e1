#include "sim/client/agent_construction.h"

#include <set>
#include <stdexcept>
#include <string>

#include "base/annotated_mutex.h"
#include "base/guarded.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"

namespace orvsim::client {
namespace {

// The components whose construction is arranged to fail.
class ConstructionFailures : public orvbase::Guarded<std::set<std::string>> {
  public:
    void Arrange(std::string_view component, bool fails) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        if (fails) {
            state_.emplace(component);
        } else {
            state_.erase(std::string(component));
        }
    }
    bool Fails(std::string_view component) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return state_.count(std::string(component)) != 0;
    }
};

ConstructionFailures& Failures() {
    static ConstructionFailures failures;
    return failures;
}

}  // namespace

void ThrowIfConstructionFails(std::string_view component) {
    if (Failures().Fails(component)) {
        throw std::runtime_error(std::string(component) + " construction failed");
    }
}

void ResetAgentConstruction() {
    Failures().Reset();
}

}  // namespace orvsim::client

namespace orvsim {

void ArrangeConstructionFailure(std::string_view component, bool fails) {
    client::Failures().Arrange(component, fails);
}

}  // namespace orvsim
