#include "help/http_request_plan.h"

namespace qv {

static std::string RemoveAll(std::string text, const std::string& what) {
    for (std::size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos))
        text.erase(pos, what.size());
    return text;
}

std::optional<UrlParts> SplitUrl(const std::string& url) {
    if (url.find('/') == std::string::npos) return UrlParts{url, {}};
    const std::string rest = RemoveAll(RemoveAll(url, "http://"), "https://");
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos) return std::nullopt;
    return UrlParts{rest.substr(0, slash), rest.substr(slash + 1)};
}

std::optional<HttpRequestPlan> PlanHttpRequest(const std::string& url, const std::string& postData, int port) {
    auto parts = SplitUrl(url);
    if (!parts) return std::nullopt;
    HttpRequestPlan plan;
    plan.host = parts->host;
    plan.object = parts->object;
    if (!postData.empty()) {
        plan.method = "POST";
        plan.headers = kHttpFormHeader;
        plan.body = postData;
    } else {
        plan.method = "GET";
    }
    plan.port = port;
    plan.flags = port == 443 ? kHttpFlagsSecure : kHttpFlagsPlain;
    return plan;
}

}  // namespace qv
