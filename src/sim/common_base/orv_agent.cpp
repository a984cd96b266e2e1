#include "platform/common_base/orv_agent.h"

#include <stdexcept>

#include "base/unicode.h"
#include "sim/common_base/agent_control.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace {

// Runs one arranged lifecycle step: its duration on the machine's clock, then its outcome.
// Traces "<step>" on entry and "<step>Done" with the outcome on the way out, so that tests
// can see both when a step started and when it ended.
bool RunStep(const std::string& component, const std::string& step,
             const orvsim::AgentStep& arranged) {
    orvsim::TraceCall(component, step);
    if (arranged.duration.count() > 0) {
        Sleep(static_cast<DWORD>(arranged.duration.count()));
    }
    switch (arranged.failure) {
        case orvsim::StepFailure::kThrow:
            orvsim::TraceCall(component, step + "Done", "exception");
            throw std::runtime_error(component + " " + step + " failed");
        case orvsim::StepFailure::kReturnFalse:
            orvsim::TraceCall(component, step + "Done", false);
            return false;
        case orvsim::StepFailure::kNone:
            break;
    }
    orvsim::TraceCall(component, step + "Done", true);
    return true;
}

}  // namespace

IORVAgent::IORVAgent(std::wstring name) : _name(std::move(name)) {}

IORVAgent::~IORVAgent() = default;

std::wstring IORVAgent::Name() {
    orvsim::TraceCall(orvbase::WideToUtf8(_name), "Name");
    if (orvsim::ArrangedAgent(_name).nameThrows) {
        throw std::runtime_error(orvbase::WideToUtf8(_name) + " Name failed");
    }
    return _name;
}

bool IORVAgent::Init() {
    bool ok = RunStep(orvbase::WideToUtf8(_name), "Init", orvsim::ArrangedAgent(_name).init);
    if (ok) {
        _isInitialized = true;
    }
    return ok;
}

bool IORVAgent::FullInit() {
    const std::string component = orvbase::WideToUtf8(_name);
    if (!_isInitialized) {
        orvsim::TraceCall(component, "FullInit");
        orvsim::TraceCall(component, "FullInitDone", "not initialized");
        return false;
    }
    bool ok = RunStep(component, "FullInit", orvsim::ArrangedAgent(_name).fullInit);
    if (ok) {
        _isFullyInitialized = true;
    }
    return ok;
}

void IORVAgent::UnInit() {
    const orvsim::AgentStep step = orvsim::ArrangedAgent(_name).unInit;
    try {
        RunStep(orvbase::WideToUtf8(_name), "UnInit", step);
    } catch (...) {
        _isFullyInitialized = false;
        _isInitialized = false;
        throw;
    }
    _isFullyInitialized = false;
    _isInitialized = false;
}
