// The WinInet client against a tiny HTTP/1.0 server on 127.0.0.1, run on a thread of
// this test: what goes over the wire and what comes back.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "help/wininet_http_client.h"
#include "tiny_http_server.h"

namespace {

class HttpClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    static void TearDownTestSuite() { WSACleanup(); }

    qv::WinInetHttpClient client;
    std::string code = "unset", text = "unset";
};

TEST_F(HttpClientTest, PostSendsTheFormBodyWithAgentAndHeader) {
    TinyHttpServer server(Reply("200 OK", "<status>1</status>"));
    std::string body = client.request("http://127.0.0.1/support/check.php", "appid=LE&version=1.2.3", code, text,
                                      server.port(), "", "");
    server.finish();
    EXPECT_EQ(body, "<status>1</status>");
    EXPECT_EQ(code, "200");
    EXPECT_EQ(text, "OK");
    const std::string line = server.requestLine();
    EXPECT_EQ(line, "POST /support/check.php HTTP/1.0");
    EXPECT_TRUE(server.hasHeader("User-Agent: Vantrel_App")) << server.received();
    EXPECT_TRUE(server.hasHeader("Content-Type: application/x-www-form-urlencoded")) << server.received();
    EXPECT_EQ(server.body(), "appid=LE&version=1.2.3");
}

TEST_F(HttpClientTest, GetSendsNoContentTypeAndNoBody) {
    TinyHttpServer server(Reply("200 OK", "hello"));
    EXPECT_EQ(client.request("127.0.0.1/index.html", "", code, text, server.port(), "", ""), "hello");
    server.finish();
    const std::string line = server.requestLine();
    EXPECT_EQ(line, "GET /index.html HTTP/1.0");
    EXPECT_FALSE(server.hasHeaderNamed("Content-Type")) << server.received();
    EXPECT_EQ(server.body(), "");
}

TEST_F(HttpClientTest, BodyLongerThanOneReadArrivesWholeAndInOrder) {
    std::string long_body;
    for (int i = 0; long_body.size() < 7000; ++i) long_body += "line " + std::to_string(i) + "\n";
    TinyHttpServer server(Reply("200 OK", long_body));
    EXPECT_EQ(client.request("http://127.0.0.1/big.txt", "", code, text, server.port(), "", ""), long_body);
    EXPECT_EQ(code, "200");
}

TEST_F(HttpClientTest, NotFoundKeepsItsCodeTextAndBody) {
    TinyHttpServer server(Reply("404 Not Found", "no such page"));
    EXPECT_EQ(client.request("http://127.0.0.1/missing.php", "a=b", code, text, server.port(), "", ""),
              "no such page");
    EXPECT_EQ(code, "404");
    EXPECT_EQ(text, "Not Found");
}

TEST_F(HttpClientTest, SchemeWithoutPathMakesNoRequest) {
    TinyHttpServer server(Reply("200 OK", "unexpected"));
    EXPECT_EQ(client.request("http://127.0.0.1", "a=b", code, text, server.port(), "", ""), "");
    EXPECT_EQ(code, "unset");
    EXPECT_EQ(text, "unset");
    server.finish();
    EXPECT_EQ(server.received(), "");
}

TEST_F(HttpClientTest, RefusedConnectionGivesAnEmptyAnswer) {
    int port = 0;
    {
        // A port that was free a moment ago and has no listener now.
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        closesocket(s);
    }
    EXPECT_EQ(client.request("http://127.0.0.1/check.php", "a=b", code, text, port, "", ""), "");
    EXPECT_NE(code.substr(0, 1), "2") << code;   // the caller reports it as a failure
}

}  // namespace
