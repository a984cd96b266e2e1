#pragma once
// ORV::CoreUtility: the common base library's device, token and web utilities, as an
// interface with a virtual table and no data. The common base library provides the behaviour
// behind every slot; this library provides the constructors, the assignments, the virtual
// table and the registry path constant, all exported.
//
// Virtual table, in slot order, as declared below; no virtual destructor. Each slot is an
// inline forwarder to a non-virtual *Impl member that the common base library defines: with
// every virtual inline the class has no key function, so its virtual table is emitted where it
// is constructed, which is this library's constructors. Subclasses may override the slots.

#include <list>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "shared/export.h"
#include "shared/orvcore_types.h"

class IConfigAgent;

namespace ORV {

// The layout has no virtual destructor: objects are never deleted through a pointer to a
// subclass of this interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ORV_EXPORT CoreUtility {
  public:
    // The client's registry key, relative to HKEY_LOCAL_MACHINE: "Software\Quelro\ORV",
    // null-terminated. Exported as the array itself.
    static const wchar_t kORVRegistryPathW[];

    // Constructors set the virtual table only; assignments do nothing and return *this.
    CoreUtility();
    CoreUtility(const CoreUtility& other);
    CoreUtility(CoreUtility&& other) noexcept;
    CoreUtility& operator=(const CoreUtility& other);
    CoreUtility& operator=(CoreUtility&& other) noexcept;

    virtual std::wstring GetDeviceID() { return GetDeviceIDImpl(); }
    virtual std::wstring GetLogicalDeviceID() { return GetLogicalDeviceIDImpl(); }
    virtual bool IsDeviceRegistered() { return IsDeviceRegisteredImpl(); }
    virtual bool VerifyJWT(const std::string& token, std::string& payload,
                           std::shared_ptr<IConfigAgent> configAgent, bool verifyExpiry) {
        return VerifyJWTImpl(token, payload, std::move(configAgent), verifyExpiry);
    }
    virtual unsigned long CreateSHA256Hash(std::string& hash, const std::string& input) {
        return CreateSHA256HashImpl(hash, input);
    }
    virtual ORVCore::InvokeHttpResponse InvokeHttpRequest(
        const std::string& url, const std::map<std::string, std::string>& headers,
        const ORVCore::HttpMethod& method, std::string body, ORVCore::HttpAuthType authType,
        bool useMtls, std::string contentType) {
        return InvokeHttpRequestImpl(url, headers, method, std::move(body), authType, useMtls,
                                     std::move(contentType));
    }
    virtual std::string GetSignature(const std::string& data) { return GetSignatureImpl(data); }
    virtual bool VerifySignature(const std::string& data, const std::string& signature) {
        return VerifySignatureImpl(data, signature);
    }
    virtual std::wstring ConstructUrlWithMtlsBaseUri(std::wstring path) {
        return ConstructUrlWithMtlsBaseUriImpl(std::move(path));
    }
    virtual std::wstring ConstructUrlWithBaseUriFromMtls(std::wstring url) {
        return ConstructUrlWithBaseUriFromMtlsImpl(std::move(url));
    }
    virtual std::wstring ExtractEpFromUrl(std::wstring& url) { return ExtractEpFromUrlImpl(url); }
    virtual ORVCore::BoolResult ValidateJwt(const std::string& token,
                                            std::list<std::wstring> audiences, bool verifyExpiry) {
        return ValidateJwtImpl(token, std::move(audiences), verifyExpiry);
    }
    virtual ORVCore::BoolResult ValidateJwt(const std::string& token,
                                            std::shared_ptr<IConfigAgent> configAgent,
                                            bool verifyExpiry) {
        return ValidateJwtImpl(token, std::move(configAgent), verifyExpiry);
    }
    virtual ORVCore::InvokeHttpResponse GetClientAuth(const ORVCore::HttpRequest& request) {
        return GetClientAuthImpl(request);
    }

  protected:
    // Common base library: the behaviour behind the slots above.
    std::wstring GetDeviceIDImpl();
    std::wstring GetLogicalDeviceIDImpl();
    bool IsDeviceRegisteredImpl();
    bool VerifyJWTImpl(const std::string& token, std::string& payload,
                       std::shared_ptr<IConfigAgent> configAgent, bool verifyExpiry);
    unsigned long CreateSHA256HashImpl(std::string& hash, const std::string& input);
    ORVCore::InvokeHttpResponse InvokeHttpRequestImpl(
        const std::string& url, const std::map<std::string, std::string>& headers,
        const ORVCore::HttpMethod& method, std::string body, ORVCore::HttpAuthType authType,
        bool useMtls, std::string contentType);
    std::string GetSignatureImpl(const std::string& data);
    bool VerifySignatureImpl(const std::string& data, const std::string& signature);
    std::wstring ConstructUrlWithMtlsBaseUriImpl(std::wstring path);
    std::wstring ConstructUrlWithBaseUriFromMtlsImpl(std::wstring url);
    std::wstring ExtractEpFromUrlImpl(std::wstring& url);
    ORVCore::BoolResult ValidateJwtImpl(const std::string& token, std::list<std::wstring> audiences,
                                        bool verifyExpiry);
    ORVCore::BoolResult ValidateJwtImpl(const std::string& token,
                                        std::shared_ptr<IConfigAgent> configAgent,
                                        bool verifyExpiry);
    ORVCore::InvokeHttpResponse GetClientAuthImpl(const ORVCore::HttpRequest& request);
};
#pragma GCC diagnostic pop

}  // namespace ORV
