// The WinInet client against a tiny HTTP/1.0 server on 127.0.0.1, run on a thread of this
// test: what the update check over the real program does not reach (a body longer than one
// read, a refused connection). The request itself is planned and checked natively.
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

TEST_F(HttpClientTest, BodyLongerThanOneReadArrivesWholeAndInOrder) {
    std::string long_body;
    for (int i = 0; long_body.size() < 7000; ++i) long_body += "line " + std::to_string(i) + "\n";
    TinyHttpServer server(Reply("200 OK", long_body));
    EXPECT_EQ(client.request("http://127.0.0.1/big.txt", "", code, text, server.port(), "", ""), long_body);
    EXPECT_EQ(code, "200");
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
