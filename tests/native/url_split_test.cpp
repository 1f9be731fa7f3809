#include <gtest/gtest.h>

#include "help/http_request_plan.h"

using namespace qv;

TEST(UrlSplit, HostAndObjectPath) {
    struct Case {
        const char* url;
        const char* host;
        const char* object;
    };
    const Case cases[] = {
        {"http://www.example.test/support/check.php", "www.example.test", "support/check.php"},
        {"https://secure.example.test/a/b?c=d", "secure.example.test", "a/b?c=d"},
        {"www.example.test/x", "www.example.test", "x"},
        {"http://host/", "host", ""},
        {"www.example.test", "www.example.test", ""},   // no "/" at all: all host
        {"http:host", "http:host", ""},
        {"", "", ""},
        // The scheme is removed case-sensitively, wherever it occurs.
        {"HTTP://host/x", "HTTP:", "/host/x"},
        {"host/go?to=http://other/y", "host", "go?to=other/y"},
        {"http://https://host/p", "host", "p"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        auto parts = SplitUrl(c.url);
        ASSERT_TRUE(parts.has_value());
        EXPECT_EQ(parts->host, c.host);
        EXPECT_EQ(parts->object, c.object);
    }
}

TEST(UrlSplit, SchemeWithoutPathGivesNoRequest) {
    for (const char* url : {"http://www.example.test", "https://www.example.test", "http://"}) {
        SCOPED_TRACE(url);
        EXPECT_FALSE(SplitUrl(url).has_value());
        EXPECT_FALSE(PlanHttpRequest(url, "a=b", 80).has_value());
    }
}

TEST(HttpRequestPlan, PostCarriesFormHeaderAndBody) {
    auto plan = PlanHttpRequest("http://www.example.test/support/check.php", "appid=LE&version=1.2.3", 80);
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->method, "POST");
    EXPECT_EQ(plan->host, "www.example.test");
    EXPECT_EQ(plan->object, "support/check.php");
    EXPECT_EQ(plan->headers, "Content-Type: application/x-www-form-urlencoded\r\n");
    EXPECT_EQ(plan->body, "appid=LE&version=1.2.3");
    EXPECT_EQ(plan->port, 80);
}

TEST(HttpRequestPlan, GetHasNoHeaderNorBody) {
    auto plan = PlanHttpRequest("www.example.test/index.html", "", 80);
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->method, "GET");
    EXPECT_EQ(plan->headers, "");
    EXPECT_EQ(plan->body, "");
}

TEST(HttpRequestPlan, FlagsFollowThePort) {
    const std::pair<int, std::uint32_t> cases[] = {
        {80, 0x80000000u}, {8080, 0x80000000u}, {442, 0x80000000u}, {443, 0x00801000u}, {0, 0x80000000u}};
    for (auto [port, flags] : cases) {
        SCOPED_TRACE(port);
        auto plan = PlanHttpRequest("h/p", "", port);
        ASSERT_TRUE(plan.has_value());
        EXPECT_EQ(plan->flags, flags);
        EXPECT_EQ(plan->port, port);
    }
}
