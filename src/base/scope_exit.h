#pragma once
// ScopeExit<Action>: runs `action` when the scope is left, however it is left. `action` must
// not throw.

#include <utility>

namespace orvbase {

template <typename Action>
class ScopeExit {
  public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ~ScopeExit() { action_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

  private:
    Action action_;
};

}  // namespace orvbase
