#pragma once
// Value types of the core library (orvcore) that appear in the shared utility interfaces'
// signatures. Owned by orvcore; defined here only as far as those signatures need them.

#include <cstdint>
#include <map>
#include <string>

namespace ORVCore {

enum class HttpMethod : std::int32_t { Get, Post, Put, Patch, Delete };

enum class HttpAuthType : std::int32_t { None, Bearer, MutualTls };

struct HttpRequest {
    std::string url;
    HttpMethod method = HttpMethod::Get;
    std::map<std::string, std::string> headers;
    std::string body;
    HttpAuthType authType = HttpAuthType::None;
};

struct InvokeHttpResponse {
    std::uint32_t statusCode = 0;  // HTTP status; 0 when no response arrived
    std::uint32_t errorCode = 0;   // transport error; 0 on success
    std::map<std::string, std::string> headers;
    std::string body;
};

// A yes/no answer with the reason when it is no.
struct BoolResult {
    bool value = false;
    std::string reason;
};

}  // namespace ORVCore
