#pragma once
// The configuration-policy agent's announcement that the client's agents may fully initialise
// (kTopicConfigPolicy, kStateMayFullyInitialize on the bus).
//
// Every agent of this library reports when it is made, when it is destroyed and when its Init
// has been tried (whatever came of it). Once the configuration-policy agent has initialised,
// Arm starts the announcer thread: it waits until every agent that exists has been through
// Init, then for the arranged delay on the simulated machine's clock, then publishes.
// Withdraw cancels a pending announcement and joins the thread; it is the only place that
// joins it. Any thread may call, except Withdraw from the announcer thread itself.

#include "platform/common_base/orv_agent.h"

namespace orvsim::client {

void AgentCreated(const IORVAgent* agent);
void AgentDestroyed(const IORVAgent* agent);
void AgentInitTried(const IORVAgent* agent);

// Starts a new announcement (withdrawing one still pending), unless it is arranged off.
void ArmFullInitAnnouncement();

// Cancels a pending announcement and waits until the announcer thread has ended.
void WithdrawFullInitAnnouncement();

// Withdraws and forgets every agent; for ResetClient.
void ResetFullInitAnnouncer();

}  // namespace orvsim::client
