#include <gtest/gtest.h>

#include <tuple>

#include "help/http_request_plan.h"

using namespace qv;

TEST(UrlSplit, HostAndObjectPath) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"http://www.example.test/support/check.php", "www.example.test", "support/check.php"},
        {"https://secure.example.test/a/b?c=d", "secure.example.test", "a/b?c=d"},
        {"www.example.test/x", "www.example.test", "x"}, {"http://host/", "host", ""},
        {"www.example.test", "www.example.test", ""}, {"http:host", "http:host", ""}, {"", "", ""},
        // The scheme is removed case-sensitively, wherever it occurs.
        {"HTTP://host/x", "HTTP:", "/host/x"}, {"host/go?to=http://other/y", "host", "go?to=other/y"},
        {"http://https://host/p", "host", "p"},
    };
    for (auto [url, host, object] : cases) {
        auto parts = SplitUrl(url);
        ASSERT_TRUE(parts.has_value()) << url;
        EXPECT_EQ(parts->host, host) << url;
        EXPECT_EQ(parts->object, object) << url;
    }
    for (const char* url : {"http://www.example.test", "https://www.example.test", "http://"}) {
        EXPECT_FALSE(SplitUrl(url).has_value()) << url;
        EXPECT_FALSE(PlanHttpRequest(url, "a=b", 80).has_value()) << url;
    }
}

TEST(HttpRequestPlan, MethodHeaderBodyAndFlags) {
    const char* form = "Content-Type: application/x-www-form-urlencoded\r\n";
    const std::tuple<const char*, int, const char*, const char*, std::uint32_t> cases[] = {
        {"appid=LE&version=1.2.3", 80, "POST", form, 0x80000000u}, {"", 80, "GET", "", 0x80000000u},
        {"", 8080, "GET", "", 0x80000000u}, {"", 442, "GET", "", 0x80000000u},
        {"x=1", 443, "POST", form, 0x00801000u}, {"", 0, "GET", "", 0x80000000u},
    };
    for (auto [post, port, method, headers, flags] : cases) {
        auto plan = PlanHttpRequest("http://www.example.test/support/check.php", post, port);
        ASSERT_TRUE(plan.has_value()) << port;
        EXPECT_EQ(plan->host, "www.example.test");
        EXPECT_EQ(plan->object, "support/check.php");
        EXPECT_EQ(plan->method, method) << post;
        EXPECT_EQ(plan->headers, headers) << post;
        EXPECT_EQ(plan->body, post);
        EXPECT_EQ(plan->port, port);
        EXPECT_EQ(plan->flags, flags) << port;
    }
}
