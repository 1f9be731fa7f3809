// One synchronous HTTP exchange.
#pragma once

#include <string>

namespace qv {

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // Sends the request and returns the body; the status code and text are written only
    // when the exchange got that far.
    virtual std::string request(const std::string& url, const std::string& postData,
                                std::string& statusCode, std::string& statusText, int port,
                                const std::string& userName, const std::string& password) = 0;
};

}  // namespace qv
