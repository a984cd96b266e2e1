#include "shared/agent_initializer.h"

#include <utility>

AgentInitializer::AgentInitializer() = default;

AgentInitializer::~AgentInitializer() = default;

AgentInitializer::AgentInitializer(const AgentInitializer& other) = default;

AgentInitializer::AgentInitializer(AgentInitializer&& other) noexcept
    : agents_(std::move(other.agents_)) {}

AgentInitializer& AgentInitializer::operator=(const AgentInitializer& other) {
    if (this != &other) {
        agents_ = other.agents_;  // reuses the storage when it is large enough
    }
    return *this;
}

AgentInitializer& AgentInitializer::operator=(AgentInitializer&& other) noexcept {
    if (this != &other) {
        std::vector<IORVAgent*>().swap(agents_);  // free our storage first
        agents_.swap(other.agents_);              // other keeps the empty list
    }
    return *this;
}
