#pragma once

#include "platform/common_base/orv_agent.h"

// The extension module as other components hold it (through the agent factory).
class IExtensionModule {
  public:
    virtual ~IExtensionModule() = default;
};

namespace ORV {

// The extension module (ExtensionModule library): hosts the client's plug-ins; its plug-in
// manager (ORV::PluginManager) runs the per-user ones.
class ExtensionModule : public IORVAgent, public IExtensionModule {
  public:
    // Process-wide; ownership as for ConfigPolicyAgent::GetInstance.
    static ExtensionModule* GetInstance();
    ~ExtensionModule() override;

    bool Init() override;

  private:
    ExtensionModule();
};

}  // namespace ORV
