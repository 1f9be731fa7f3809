#include "wininet_http_client.h"

#include <windows.h>
#include <wininet.h>

#include "help/http_request_plan.h"

namespace qv {

namespace {

constexpr DWORD kReadChunk = 2048;
constexpr DWORD kStatusBuffer = 1024;

// The empty text becomes a null pointer, as WinInet reads "no such thing" from null.
const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// One status field (code or text) as the server sent it; empty when it cannot be read.
std::string QueryStatus(HINTERNET request, DWORD what) {
    char buffer[kStatusBuffer];
    DWORD length = kStatusBuffer;
    DWORD index = 0;
    if (!request || !HttpQueryInfoA(request, what, buffer, &length, &index)) return {};
    return std::string(buffer, length < kStatusBuffer ? length : kStatusBuffer);
}

}  // namespace

std::string WinInetHttpClient::request(const std::string& url, const std::string& postData,
                                       std::string& statusCode, std::string& statusText, int port,
                                       const std::string& userName, const std::string& password) {
    const auto plan = PlanHttpRequest(url, postData, port);
    if (!plan) return {};   // a scheme with no path after the host: nothing to ask for

    std::string response;
    HINTERNET internet = InternetOpenA(kHttpAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!internet) return response;

    HINTERNET connection = InternetConnectA(internet, plan->host.c_str(), static_cast<INTERNET_PORT>(plan->port),
                                            OrNull(userName), OrNull(password), INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = nullptr;
    if (connection)
        request = HttpOpenRequestA(connection, plan->method.c_str(), plan->object.c_str(), kHttpVersion, nullptr,
                                   nullptr, plan->flags, 0);
    if (request) {
        std::string body = plan->body;
        HttpSendRequestA(request, OrNull(plan->headers), static_cast<DWORD>(plan->headers.size()),
                         body.empty() ? nullptr : body.data(), static_cast<DWORD>(body.size()));
        char buffer[kReadChunk];
        for (;;) {
            DWORD read = 0;
            const BOOL ok = InternetReadFile(request, buffer, kReadChunk, &read);
            response.append(buffer, read < kReadChunk ? read : kReadChunk);
            if (!ok || read == 0) break;
        }
    }
    statusCode = QueryStatus(request, HTTP_QUERY_STATUS_CODE);
    statusText = QueryStatus(request, HTTP_QUERY_STATUS_TEXT);

    InternetCloseHandle(internet);
    if (connection) InternetCloseHandle(connection);
    if (request) InternetCloseHandle(request);
    return response;
}

}  // namespace qv
