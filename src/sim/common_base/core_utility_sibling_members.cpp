// The behaviour behind ORV::CoreUtility's virtual table. Identity comes from the client's
// registry key; tokens and signatures use HMAC-SHA256 with the device key from the same key
// (the simulated machine has no certificates); there is no network, so web calls fail with a
// transport error.

#include "shared/core_utility.h"

#include <json/reader.h>

#include <algorithm>
#include <optional>

#include "base/unicode.h"
#include "sim/common_base/base64url.h"
#include "sim/common_base/registry_access.h"
#include "sim/common_base/sha256.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace ORV {
namespace {

constexpr char kComponent[] = "ORV::CoreUtility";
constexpr wchar_t kKeyPath[] = L"Software\\Quelro\\ORV";
constexpr wchar_t kDefaultBaseUri[] = L"https://orv.example";
constexpr wchar_t kDefaultMtlsBaseUri[] = L"https://mtls.orv.example";
constexpr char kDefaultSigningKey[] = "orvsim-device-key";
constexpr std::uint32_t kCannotConnect = 12029;  // ERROR_WINHTTP_CANNOT_CONNECT

std::wstring Setting(const wchar_t* name, const wchar_t* fallback) {
    auto value = orvsim::registry::ReadString(HKEY_LOCAL_MACHINE, kKeyPath, name);
    return value && !value->empty() ? *value : std::wstring(fallback);
}

std::string SigningKey() {
    auto key = orvsim::registry::ReadString(HKEY_LOCAL_MACHINE, kKeyPath, L"SigningKey");
    return key && !key->empty() ? orvbase::WideToUtf8(*key) : std::string(kDefaultSigningKey);
}

std::optional<Json::Value> ParseJson(const std::string& text) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors) ||
            !value.isObject()) {
            return std::nullopt;
        }
    } catch (const Json::Exception&) {
        // The reader throws rather than fails on nesting beyond its depth limit.
        return std::nullopt;
    }
    return value;
}

struct CheckedToken {
    bool valid = false;
    std::string reason;  // why not, when not valid
    std::string payload;
    Json::Value claims;
};

// Checks a compact JWS token: three base64url parts, an HS256 header, a signature by the
// device key and, if asked, an expiry ("exp", seconds since 1970) not yet passed.
CheckedToken CheckToken(const std::string& token, bool verifyExpiry) {
    CheckedToken checked;
    const auto firstDot = token.find('.');
    const auto secondDot = firstDot == std::string::npos ? firstDot : token.find('.', firstDot + 1);
    if (secondDot == std::string::npos || token.find('.', secondDot + 1) != std::string::npos) {
        checked.reason = "malformed token";
        return checked;
    }
    const std::string_view signedPart(token.data(), secondDot);
    auto header = orvsim::Base64UrlDecode(std::string_view(token).substr(0, firstDot));
    auto payload = orvsim::Base64UrlDecode(signedPart.substr(firstDot + 1));
    auto headerJson = header ? ParseJson(*header) : std::nullopt;
    auto claims = payload ? ParseJson(*payload) : std::nullopt;
    if (!headerJson || !claims) {
        checked.reason = "malformed token";
        return checked;
    }
    const Json::Value& algorithm = (*headerJson)["alg"];
    if (!algorithm.isString() || algorithm.asString() != "HS256") {
        checked.reason = "unsupported algorithm";
        return checked;
    }
    const auto digest = orvsim::HmacSha256(SigningKey(), signedPart);
    if (orvsim::Base64UrlEncode(std::string(digest.begin(), digest.end())) !=
        token.substr(secondDot + 1)) {
        checked.reason = "bad signature";
        return checked;
    }
    const Json::Value& expiry = (*claims)["exp"];
    // Compared as a double: asLargestInt throws on a number outside its range.
    if (verifyExpiry && !expiry.isNull() &&
        (!expiry.isNumeric() || expiry.asDouble() <= static_cast<double>(_time64(nullptr)))) {
        checked.reason = "token expired";
        return checked;
    }
    checked.valid = true;
    checked.payload = *payload;
    checked.claims = *claims;
    return checked;
}

ORVCore::InvokeHttpResponse NoNetwork() {
    ORVCore::InvokeHttpResponse response;
    response.statusCode = 0;
    response.errorCode = kCannotConnect;
    return response;
}

}  // namespace

std::wstring CoreUtility::GetDeviceIDImpl() {
    std::wstring id = Setting(L"DeviceId", L"");
    orvsim::TraceCall(kComponent, "GetDeviceID", id);
    return id;
}

std::wstring CoreUtility::GetLogicalDeviceIDImpl() {
    std::wstring id = Setting(L"LogicalDeviceId", L"");
    orvsim::TraceCall(kComponent, "GetLogicalDeviceID", id);
    return id;
}

bool CoreUtility::IsDeviceRegisteredImpl() {
    const bool registered = !Setting(L"DeviceId", L"").empty();
    orvsim::TraceCall(kComponent, "IsDeviceRegistered", registered);
    return registered;
}

bool CoreUtility::VerifyJWTImpl(const std::string& token, std::string& payload,
                                std::shared_ptr<IConfigAgent> /*configAgent*/, bool verifyExpiry) {
    CheckedToken checked = CheckToken(token, verifyExpiry);
    orvsim::TraceCall(kComponent, "VerifyJWT", verifyExpiry, checked.valid);
    if (checked.valid) {
        payload = std::move(checked.payload);
    }
    return checked.valid;
}

unsigned long CoreUtility::CreateSHA256HashImpl(std::string& hash, const std::string& input) {
    hash = orvsim::ToHex(orvsim::Sha256(input));
    orvsim::TraceCall(kComponent, "CreateSHA256Hash", input.size(), hash);
    return ERROR_SUCCESS;
}

ORVCore::InvokeHttpResponse CoreUtility::InvokeHttpRequestImpl(
    const std::string& url, const std::map<std::string, std::string>& /*headers*/,
    const ORVCore::HttpMethod& method, std::string /*body*/, ORVCore::HttpAuthType authType,
    bool useMtls, std::string /*contentType*/) {
    orvsim::TraceCall(kComponent, "InvokeHttpRequest", url, method, authType, useMtls);
    return NoNetwork();
}

std::string CoreUtility::GetSignatureImpl(const std::string& data) {
    const auto digest = orvsim::HmacSha256(SigningKey(), data);
    std::string signature = orvsim::Base64UrlEncode(std::string(digest.begin(), digest.end()));
    orvsim::TraceCall(kComponent, "GetSignature", data.size());
    return signature;
}

bool CoreUtility::VerifySignatureImpl(const std::string& data, const std::string& signature) {
    const auto digest = orvsim::HmacSha256(SigningKey(), data);
    const bool valid =
        orvsim::Base64UrlEncode(std::string(digest.begin(), digest.end())) == signature;
    orvsim::TraceCall(kComponent, "VerifySignature", data.size(), valid);
    return valid;
}

std::wstring CoreUtility::ConstructUrlWithMtlsBaseUriImpl(std::wstring path) {
    std::wstring url = Setting(L"MtlsBaseUri", kDefaultMtlsBaseUri);
    if (!path.empty() && path.front() != L'/') {
        url.push_back(L'/');
    }
    url += path;
    orvsim::TraceCall(kComponent, "ConstructUrlWithMtlsBaseUri", path, url);
    return url;
}

std::wstring CoreUtility::ConstructUrlWithBaseUriFromMtlsImpl(std::wstring url) {
    const std::wstring mtls = Setting(L"MtlsBaseUri", kDefaultMtlsBaseUri);
    std::wstring result = url;
    if (url.compare(0, mtls.size(), mtls) == 0) {
        result = Setting(L"BaseUri", kDefaultBaseUri) + url.substr(mtls.size());
    }
    orvsim::TraceCall(kComponent, "ConstructUrlWithBaseUriFromMtls", url, result);
    return result;
}

std::wstring CoreUtility::ExtractEpFromUrlImpl(std::wstring& url) {
    // The endpoint is the path after "scheme://host", without query or fragment.
    std::wstring endpoint;
    const auto scheme = url.find(L"://");
    const auto pathStart = url.find(L'/', scheme == std::wstring::npos ? 0 : scheme + 3);
    if (pathStart != std::wstring::npos) {
        endpoint = url.substr(pathStart, url.find_first_of(L"?#", pathStart) - pathStart);
    }
    orvsim::TraceCall(kComponent, "ExtractEpFromUrl", url, endpoint);
    return endpoint;
}

ORVCore::BoolResult CoreUtility::ValidateJwtImpl(const std::string& token,
                                                 std::list<std::wstring> audiences,
                                                 bool verifyExpiry) {
    CheckedToken checked = CheckToken(token, verifyExpiry);
    ORVCore::BoolResult result{checked.valid, checked.reason};
    if (checked.valid) {
        const Json::Value& aud = checked.claims["aud"];
        auto accepted = [&](const Json::Value& one) {
            return one.isString() &&
                   std::find(audiences.begin(), audiences.end(),
                             orvbase::Utf8ToWide(one.asString())) != audiences.end();
        };
        const bool audienceOk =
            aud.isArray() ? std::any_of(aud.begin(), aud.end(), accepted) : accepted(aud);
        if (!audienceOk) {
            result = {false, "audience not accepted"};
        }
    }
    orvsim::TraceCall(kComponent, "ValidateJwt", audiences.size(), verifyExpiry, result.value);
    return result;
}

ORVCore::BoolResult CoreUtility::ValidateJwtImpl(const std::string& token,
                                                 std::shared_ptr<IConfigAgent> /*configAgent*/,
                                                 bool verifyExpiry) {
    CheckedToken checked = CheckToken(token, verifyExpiry);
    orvsim::TraceCall(kComponent, "ValidateJwt", "config", verifyExpiry, checked.valid);
    return {checked.valid, checked.reason};
}

ORVCore::InvokeHttpResponse CoreUtility::GetClientAuthImpl(const ORVCore::HttpRequest& request) {
    orvsim::TraceCall(kComponent, "GetClientAuth", request.url, request.method);
    return NoNetwork();
}

}  // namespace ORV
