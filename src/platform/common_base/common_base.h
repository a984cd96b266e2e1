#pragma once
// The common base library as the service calls it: logging, string, registry and session
// utilities, COM start-up, security attributes, the agent framework, the operational-event
// manager and the small helpers of the agent roster. The types the service library itself
// exports (the factories, AgentInitializer, ORV::ComInit, ORV::ThreadGarbageCollector,
// ORV::OperationalEventsManager, CriticalEventLogger) are declared in src/shared/.

#include "platform/common_base/download_agent.h"
#include "platform/common_base/ep_url_provider.h"
#include "platform/common_base/log.h"
#include "platform/common_base/orv_agent.h"
#include "platform/common_base/process_wrap.h"
#include "platform/common_base/reg_monitor.h"
#include "platform/common_base/reg_util.h"
#include "platform/common_base/registration_result.h"
#include "platform/common_base/registry_helper.h"
#include "platform/common_base/security_attributes.h"
#include "platform/common_base/smbios_information_retriever.h"
#include "platform/common_base/string_utils.h"
#include "platform/common_base/utility.h"
#include "shared/agent_factory.h"
#include "shared/agent_initializer.h"
#include "shared/com_init.h"
#include "shared/operational_events_manager.h"
#include "shared/stateless_helpers.h"
#include "shared/thread_garbage_collector.h"
