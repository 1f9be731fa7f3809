// What one HTTP exchange sends, decided before any network call so that the WinInet
// client stays a thin shell around it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qv {

struct UrlParts {
    std::string host;
    std::string object;   // the path after the host, without its leading "/"
};

// A URL without any "/" is all host. Otherwise every "http://" and then every "https://"
// is removed and the text is cut at the first "/" left. A URL that had a scheme but has
// no "/" after the host gives nothing: there is no request to make.
std::optional<UrlParts> SplitUrl(const std::string& url);

inline constexpr std::uint32_t kHttpFlagsPlain = 0x80000000u;    // reload, bypass the cache
inline constexpr std::uint32_t kHttpFlagsSecure = 0x00801000u;   // TLS, host-name mismatch accepted
inline constexpr const char* kHttpFormHeader = "Content-Type: application/x-www-form-urlencoded\r\n";
inline constexpr const char* kHttpAgent = "Vantrel_App";
inline constexpr const char* kHttpVersion = "HTTP/1.0";

struct HttpRequestPlan {
    std::string host;
    std::string object;
    std::string method;    // "POST" with post data, else "GET"
    std::string headers;   // the form header for POST, else empty
    std::string body;
    int port = 80;
    std::uint32_t flags = kHttpFlagsPlain;
};

std::optional<HttpRequestPlan> PlanHttpRequest(const std::string& url, const std::string& postData, int port);

}  // namespace qv
