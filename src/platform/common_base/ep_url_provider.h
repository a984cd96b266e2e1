#pragma once
// The provider of the client's cloud endpoints and organization realm.

#include <memory>
#include <string>

namespace ORV {

class EpUrlProvider {
  public:
    // The process-wide provider, shared by the agents that hold it. Any thread.
    static std::shared_ptr<EpUrlProvider> GetInstance();

    // Reads the organization realm from the client's registry key into `realm`. True when a
    // realm is configured; `realm` is cleared otherwise.
    bool GetRealm(std::wstring& realm);

    EpUrlProvider();
    ~EpUrlProvider() = default;
};

}  // namespace ORV
