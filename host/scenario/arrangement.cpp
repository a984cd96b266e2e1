#include "host/scenario/arrangement.h"

#include <algorithm>
#include <stdexcept>

#include "base/unicode.h"
#include "host/machine/machine_setup.h"
#include "host/scenario/scenario_names.h"
#include "sim/client/client_control.h"
#include "sim/common_base/common_base_control.h"
#include "sim/common_base/log_control.h"
#include "sim/trace.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

namespace {

using std::chrono::milliseconds;

constexpr wchar_t kSetupStateKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";
constexpr wchar_t kRunningMutex[] = L"Global\\_OrvRunningMutex";
// The file name of the service library contains this (liborvservice.so).
constexpr char kServiceModule[] = "orvservice";

std::wstring Wide(const std::string& text) {
    return orvbase::Utf8ToWide(text);
}

winsim::failures::Call CallNamed(const std::string& name) {
    const auto& calls = names::FailingCalls();
    const auto found = std::find(calls.begin(), calls.end(), name);
    if (found == calls.end()) {
        throw std::invalid_argument("no platform call named " + name);
    }
    return static_cast<winsim::failures::Call>(found - calls.begin());
}

orvsim::StepFailure ToStandIn(StepFailureMode mode) {
    switch (mode) {
        case StepFailureMode::kReturnFalse:
            return orvsim::StepFailure::kReturnFalse;
        case StepFailureMode::kThrow:
            return orvsim::StepFailure::kThrow;
        case StepFailureMode::kNone:
            break;
    }
    return orvsim::StepFailure::kNone;
}

orvsim::AgentStep ToStandIn(const AgentStepArrangement& step) {
    return orvsim::AgentStep{milliseconds(step.durationMs), ToStandIn(step.failure)};
}

void ApplyAgent(const std::string& name, const AgentArrangement& agent) {
    const std::wstring wide = Wide(name);
    orvsim::AgentBehaviour behaviour = orvsim::ArrangedAgent(wide);
    if (agent.init) {
        behaviour.init = ToStandIn(*agent.init);
    }
    if (agent.initialised == false && behaviour.init.failure != orvsim::StepFailure::kThrow) {
        behaviour.init.failure = orvsim::StepFailure::kReturnFalse;
    }
    if (agent.fullInit) {
        behaviour.fullInit = ToStandIn(*agent.fullInit);
    }
    if (agent.unInitDurationMs) {
        behaviour.unInit.duration = milliseconds(*agent.unInitDurationMs);
    }
    if (agent.nameThrows) {
        behaviour.nameThrows = *agent.nameThrows;
    }
    orvsim::ArrangeAgent(wide, behaviour);
    if (agent.present) {
        orvsim::ArrangeMissingInstance(name, !*agent.present);
    }
    if (agent.constructionFails) {
        orvsim::ArrangeConstructionFailure(name, *agent.constructionFails);
    }
}

void ApplyService(const ServiceInstall& service) {
    if (!service.installed) {
        winsim::services::Remove(kServiceName);
        return;
    }
    winsim::services::ServiceConfig config;
    config.startType = service.start;
    config.displayName = L"ORV Service";
    winsim::services::Install(kServiceName, config);
    // Written after the install so that any value, also one other than 0 or 1, can be arranged.
    constexpr wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\ORVService";
    if (service.delayedAutostart) {
        winsim::registry::SetDword(kServiceKey, L"DelayedAutostart", *service.delayedAutostart);
    } else {
        winsim::registry::DeleteValue(kServiceKey, L"DelayedAutostart");
    }
}

void ApplyOobe(const MachineArrangement& machine) {
    switch (*machine.oobe) {
        case OobeMode::kComplete:
            orvsim::ArrangeOobeCompleted();
            break;
        case OobeMode::kNever:
            orvsim::ArrangeOobeNeverCompleted();
            break;
        case OobeMode::kAfterChecks:
            orvsim::ArrangeOobeCompletedAfter(machine.oobeFailedChecks);
            break;
    }
}

orvsim::DriveType DriveTypeNamed(const std::string& name) {
    if (name == "hdd") {
        return orvsim::DriveType::kHdd;
    }
    return name == "ssd" ? orvsim::DriveType::kSsd : orvsim::DriveType::kUnknown;
}

}  // namespace

SERVICE_STATUS_HANDLE ArrangeInitial(const MachineArrangement& machine,
                                     const ClientArrangement& client,
                                     std::optional<double> clockScale) {
    ArrangeDefaultMachine({clockScale.value_or(machine.clockScale.value_or(1.0))});
    const SERVICE_STATUS_HANDLE status = winsim::services::StatusHandle(kServiceName);
    MachineArrangement rest = machine;
    rest.clockScale.reset();  // already set, perhaps overridden
    ApplyMachine(rest);
    ApplyClient(client);
    return status;
}

void ApplyMachine(const MachineArrangement& machine) {
    if (machine.clockScale) {
        winsim::clock::SetScale(*machine.clockScale);
    }
    if (machine.architecture) {
        winsim::SetProcessorArchitecture(*machine.architecture);
    }
    if (machine.service) {
        ApplyService(*machine.service);
    }
    if (machine.imageState) {
        if (*machine.imageState) {
            winsim::registry::SetString(kSetupStateKey, L"ImageState", Wide(**machine.imageState));
        } else {
            winsim::registry::DeleteValue(kSetupStateKey, L"ImageState");
        }
    }
    if (machine.oobe) {
        ApplyOobe(machine);
    }
    for (const RegistryEdit& edit : machine.registry) {
        ApplyRegistryEdit(edit);
    }
    if (machine.manufacturer) {
        orvsim::ArrangeManufacturer(Wide(*machine.manufacturer));
    }
    if (machine.driveType) {
        orvsim::ArrangeDriveType(DriveTypeNamed(*machine.driveType));
    }
    if (machine.runningMutexHeld) {
        if (*machine.runningMutexHeld) {
            winsim::objects::HoldMutexElsewhere(kRunningMutex);
        } else {
            winsim::objects::ReleaseMutexElsewhere(kRunningMutex);
        }
    }
    if (machine.currentSessionId) {
        orvsim::ArrangeCurrentSessionId(*machine.currentSessionId);
    }
    for (const FailureArrangement& failure : machine.failures) {
        ApplyFailure(failure);
    }
}

namespace {

void ApplyRegistration(const RegistrationArrangement& registration) {
    orv::registration::RegistrationResult result = orvsim::ArrangedRegistration();
    result.success = registration.success.value_or(result.success);
    result.errorCode = registration.errorCode.value_or(result.errorCode);
    orvsim::ArrangeRegistration(result.success, result.errorCode);
    if (registration.durationMs) {
        orvsim::ArrangeRegistrationDuration(milliseconds(*registration.durationMs));
    }
}

void ApplyFullInitSignal(const FullInitSignal& arranged) {
    orvsim::FullInitSignalArrangement signal = orvsim::ArrangedFullInitSignal();
    signal.enabled = arranged.enabled.value_or(signal.enabled);
    if (arranged.delayMs) {
        signal.delay = milliseconds(*arranged.delayMs);
    }
    orvsim::ArrangeFullInitSignal(signal);
}

void ApplyUserProcess(const UserProcessBehaviour& behaviour) {
    orvsim::UserProcessArrangement process;
    process.datasetEnabled = behaviour.datasetEnabled.value_or(true);
    if (behaviour.sessionChangeAnswer) {
        process.sessionChangeAnswer = *behaviour.sessionChangeAnswer;
    }
    orvsim::ArrangeUserProcess(process);
}

void ApplyThrowsAndDelays(const ClientArrangement& client) {
    for (const ThrowArrangement& arrangement : client.throws) {
        orvsim::ArrangeThrow(arrangement.component, arrangement.operation,
                             arrangement.exception == ThrownException::kBadArrayNewLength
                                 ? orvsim::ArrangedException::kBadArrayNewLength
                                 : orvsim::ArrangedException::kRuntimeError,
                             arrangement.times ? static_cast<int>(*arrangement.times) : 0);
    }
    for (const DelayArrangement& delay : client.delays) {
        const int times = delay.times ? static_cast<int>(*delay.times) : 0;
        if (delay.logMessage.empty()) {
            orvsim::ArrangeDelay(delay.component, delay.operation, milliseconds(delay.ms), times);
        } else {
            orvsim::ArrangeLogDelay(Wide(delay.logMessage), milliseconds(delay.ms), times);
        }
    }
}

}  // namespace

void ApplyClient(const ClientArrangement& client) {
    for (const auto& [name, agent] : client.agents) {
        ApplyAgent(name, agent);
    }
    if (client.registration) {
        ApplyRegistration(*client.registration);
    }
    if (client.fullInitSignal) {
        ApplyFullInitSignal(*client.fullInitSignal);
    }
    if (client.delayStartAllowed) {
        orvsim::ArrangeDelayStartAllowed(*client.delayStartAllowed);
    }
    if (client.userProcess) {
        ApplyUserProcess(*client.userProcess);
    }
    for (const auto& [helper, absent] : client.helpersAbsent) {
        orvsim::ArrangeMissingInstance(helper, absent);
    }
    if (client.serviceVersion) {
        orvsim::ArrangeServiceVersion(Wide(*client.serviceVersion));
    }
    if (client.tagCollectionDurationMs) {
        orvsim::ArrangeTagCollectionDuration(milliseconds(*client.tagCollectionDurationMs));
    }
    if (client.diagnosticsScanDurationMs) {
        orvsim::ArrangeDiagnosticsScanDuration(milliseconds(*client.diagnosticsScanDurationMs));
    }
    ApplyThrowsAndDelays(client);
    for (const std::string& slot : client.emptyHelperSlots) {
        orvsim::ArrangeEmptyHelperSlot(slot);
    }
}

void ApplyRegistryEdit(const RegistryEdit& edit) {
    const std::wstring key = Wide(edit.key);
    const std::wstring name = Wide(edit.name);
    if (edit.remove) {
        winsim::registry::DeleteValue(key, name);
    } else if (edit.dword) {
        winsim::registry::SetDword(key, name, *edit.dword);
    } else if (edit.text) {
        winsim::registry::SetString(key, name, Wide(*edit.text));
    }
}

void ApplyFailure(const FailureArrangement& failure) {
    const winsim::failures::Call call = CallNamed(failure.call);
    winsim::failures::Target target;
    if (failure.serviceOnly) {
        target.callerModule = kServiceModule;
    }
    target.skip = failure.skip;
    if (failure.clear) {
        winsim::failures::Clear(call);
    } else if (failure.times) {
        winsim::failures::FailNext(call, *failure.times, failure.code, target);
    } else {
        winsim::failures::FailAlways(call, failure.code, target);
    }
}

}  // namespace orvhost
