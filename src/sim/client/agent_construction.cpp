#include "sim/client/agent_construction.h"

#include <set>
#include <stdexcept>
#include <string>

#include "base/annotated_mutex.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"

namespace orvsim::client {
namespace {

class ConstructionFailures {
  public:
    void Arrange(std::string_view component, bool fails) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        if (fails) {
            failing_.emplace(component);
        } else {
            failing_.erase(std::string(component));
        }
    }
    bool Fails(std::string_view component) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return failing_.count(std::string(component)) != 0;
    }
    void Clear() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        failing_.clear();
    }

  private:
    tsa::Mutex mutex_;
    std::set<std::string> failing_ GUARDED_BY(mutex_);
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
    Failures().Clear();
}

}  // namespace orvsim::client

namespace orvsim {

void ArrangeConstructionFailure(std::string_view component, bool fails) {
    client::Failures().Arrange(component, fails);
}

}  // namespace orvsim
