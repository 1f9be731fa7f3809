// The WinInet client against a tiny HTTP/1.0 server on 127.0.0.1: what the update check over
// the real program does not reach (a body longer than one read, a refused connection). The
// request itself is planned and checked natively.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "help/wininet_http_client.h"
#include "tiny_http_server.h"

TEST(HttpClient, LongBodyArrivesWholeAndARefusedConnectionGivesAnEmptyAnswer) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    qv::WinInetHttpClient client;
    std::string code, text, body;
    for (int i = 0; body.size() < 7000; ++i) body += "line " + std::to_string(i) + "\n";
    int port = 0;
    {
        TinyHttpServer server(Reply("200 OK", body));
        port = server.port();
        EXPECT_EQ(client.request("http://127.0.0.1/big.txt", "", code, text, port, "", ""), body);
        EXPECT_EQ(code, "200");
    }
    // The server is gone: nothing listens on its port now.
    EXPECT_EQ(client.request("http://127.0.0.1/check.php", "a=b", code, text, port, "", ""), "");
    EXPECT_NE(code.substr(0, 1), "2") << code;   // the caller reports it as a failure
    WSACleanup();
}
