// HttpClient over WinInet: one synchronous HTTP/1.0 exchange. Link with wininet.
#pragma once

#include "help/http_client.h"

namespace qv {

class WinInetHttpClient : public HttpClient {
public:
    std::string request(const std::string& url, const std::string& postData, std::string& statusCode,
                        std::string& statusText, int port, const std::string& userName,
                        const std::string& password) override;
};

}  // namespace qv
