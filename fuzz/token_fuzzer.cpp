// The core utility's token checks (VerifyJWT, ValidateJwt) on tokens a server or a policy could
// hand the client. The input is taken twice: as a token as it stands, and as a header and
// claims (split at the first NUL byte) signed with the device key, so that inputs get past the
// signature to the algorithm, expiry and audience checks. No input may throw.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <list>
#include <string>
#include <string_view>

#include "shared/core_utility.h"
#include "sim/common_base/base64url.h"
#include "sim/common_base/log_control.h"
#include "sim/trace.h"

namespace {

void Check(ORV::CoreUtility& utility, const std::string& token) {
    std::string payload;
    for (const bool verifyExpiry : {false, true}) {
        const bool verified = utility.VerifyJWT(token, payload, nullptr, verifyExpiry);
        const ORVCore::BoolResult validated =
            utility.ValidateJwt(token, std::list<std::wstring>{L"orv"}, verifyExpiry);
        // An audience check can only take away what the signature and expiry gave.
        if (validated.value && !verified) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The stand-ins' records would otherwise grow with every input.
    orvsim::ClearLogRecords();
    orvsim::ClearTrace();
    const std::string input(reinterpret_cast<const char*>(data), size);
    ORV::CoreUtility utility;
    Check(utility, input);

    const std::size_t split = input.find('\0');
    const std::string header = split == std::string::npos ? input : input.substr(0, split);
    const std::string claims = split == std::string::npos ? "{}" : input.substr(split + 1);
    const std::string signedPart =
        orvsim::Base64UrlEncode(header) + "." + orvsim::Base64UrlEncode(claims);
    Check(utility, signedPart + "." + utility.GetSignature(signedPart));
    return 0;
}
