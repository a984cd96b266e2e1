#include <map>
#include <set>

#include "base/annotated_mutex.h"
#include "base/guarded.h"
#include "sim/common_base/agent_control.h"

namespace orvsim {
namespace {

struct Arranged {
    std::map<std::wstring, AgentBehaviour> behaviours;
    std::set<std::string> missing;  // components whose GetInstance returns null
};

class AgentArrangements : public orvbase::Guarded<Arranged> {
  public:
    void Arrange(const std::wstring& name, const AgentBehaviour& behaviour) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        state_.behaviours[name] = behaviour;
    }

    AgentBehaviour Get(const std::wstring& name) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        auto it = state_.behaviours.find(name);
        return it == state_.behaviours.end() ? AgentBehaviour{} : it->second;
    }

    void SetMissing(std::string_view component, bool missing) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        if (missing) {
            state_.missing.emplace(component);
        } else {
            state_.missing.erase(std::string(component));
        }
    }

    bool IsMissing(std::string_view component) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return state_.missing.count(std::string(component)) != 0;
    }
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
