#pragma once
// Each stand-in's own part of orvsim::ResetClient: its arrangements and state back to default.

namespace orvsim::client {

void ResetConfigPolicyAgent();
void ResetAgentConstruction();
void ResetRegistrationAgent();
void ResetEventManager();
void ResetMonitors();
void ResetUserProcessAgent();
void ResetPluginManager();
void ResetCommandProcessor();
void ResetDiagnostics();
void ResetAppAndTagCollection();
void ResetStorageCollector();
void ResetHelperFactorySlots();
void ResetGeneralAppSettings();
void ResetOrvInfo();
void ResetApplicabilityEvaluator();

}  // namespace orvsim::client
