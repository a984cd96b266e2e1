#pragma once
// Every sibling declaration the service object's members call, in one place.

#include "platform/agents/app_provisioning_agent.h"
#include "platform/agents/client_broker_manager.h"
#include "platform/agents/config_policy_agent.h"
#include "platform/agents/core_adapter_agent.h"
#include "platform/agents/data_sync_agent.h"
#include "platform/agents/deploy_agent.h"
#include "platform/agents/device_registration_agent.h"
#include "platform/agents/extension_module.h"
#include "platform/agents/mdm_agent.h"
#include "platform/agents/notification_agent.h"
#include "platform/common_base/download_agent.h"
#include "platform/event_manager/event_manager.h"
