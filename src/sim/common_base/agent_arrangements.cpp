#include <map>
#include <set>

#include "base/annotated_mutex.h"
#include "sim/common_base/agent_control.h"

namespace orvsim {
namespace {

class AgentArrangements {
  public:
    void Arrange(const std::wstring& name, const AgentBehaviour& behaviour) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        behaviours_[name] = behaviour;
    }

    AgentBehaviour Get(const std::wstring& name) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        auto it = behaviours_.find(name);
        return it == behaviours_.end() ? AgentBehaviour{} : it->second;
    }

    void SetMissing(std::string_view component, bool missing) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        if (missing) {
            missing_.emplace(component);
        } else {
            missing_.erase(std::string(component));
        }
    }

    bool IsMissing(std::string_view component) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return missing_.count(std::string(component)) != 0;
    }

    void Reset() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        behaviours_.clear();
        missing_.clear();
    }

  private:
    tsa::Mutex mutex_;
    std::map<std::wstring, AgentBehaviour> behaviours_ GUARDED_BY(mutex_);
    std::set<std::string> missing_ GUARDED_BY(mutex_);
};

AgentArrangements& Arrangements() {
    static auto* arrangements = new AgentArrangements();
    return *arrangements;
}

}  // namespace

void ArrangeAgent(const std::wstring& name, const AgentBehaviour& behaviour) {
    Arrangements().Arrange(name, behaviour);
}

AgentBehaviour ArrangedAgent(const std::wstring& name) {
    return Arrangements().Get(name);
}

void ArrangeMissingInstance(std::string_view component, bool missing) {
    Arrangements().SetMissing(component, missing);
}

bool IsInstanceMissing(std::string_view component) {
    return Arrangements().IsMissing(component);
}

void ResetAgentArrangements() {
    Arrangements().Reset();
}

}  // namespace orvsim
