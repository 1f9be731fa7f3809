// The WinInet client against a tiny HTTP/1.0 server on 127.0.0.1, run on a thread of
// this test: what goes over the wire and what comes back.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "help/wininet_http_client.h"

namespace {

// Accepts one connection, reads one request (headers and a Content-Length body), answers
// with `reply` and closes. Every wait is bounded so that a client fault cannot hang the test.
class TinyHttpServer {
public:
    explicit TinyHttpServer(std::string reply) : reply_(std::move(reply)) {
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;   // any free port
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 1);
        int length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = CreateThread(nullptr, 0, &TinyHttpServer::run, this, 0, nullptr);
    }
    ~TinyHttpServer() { finish(); }
    // Stops listening and waits for the serving thread; afterwards received() is complete.
    void finish() {
        if (listening_) closesocket(listener_);   // ends a pending accept
        listening_ = false;
        if (thread_) {
            WaitForSingleObject(thread_, 30000);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
    }
    int port() const { return port_; }
    // What the client sent.
    const std::string& received() const { return received_; }
    std::string requestLine() const { return received_.substr(0, received_.find("\r\n")); }
    std::string body() const {
        auto end = received_.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : received_.substr(end + 4);
    }
    bool hasHeader(const std::string& line) const { return received_.find("\r\n" + line + "\r\n") != std::string::npos; }
    bool hasHeaderNamed(const std::string& name) const {
        return received_.find("\r\n" + name + ":") != std::string::npos;
    }

private:
    static bool readable(SOCKET s) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval wait{10, 0};
        return select(0, &set, nullptr, nullptr, &wait) == 1;
    }
    static DWORD WINAPI run(void* self) {
        static_cast<TinyHttpServer*>(self)->serve();
        return 0;
    }
    void serve() {
        if (!readable(listener_)) return;
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        char chunk[4096];
        std::size_t wanted = std::string::npos;
        while (received_.size() < wanted && readable(client)) {
            int n = recv(client, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            received_.append(chunk, static_cast<std::size_t>(n));
            auto end = received_.find("\r\n\r\n");
            if (end != std::string::npos && wanted == std::string::npos) {
                std::size_t length = 0;
                auto at = received_.find("\r\nContent-Length:");
                if (at != std::string::npos && at < end) length = std::stoul(received_.substr(at + 17));
                wanted = end + 4 + length;
            }
        }
        for (std::size_t sent = 0; sent < reply_.size();) {
            int n = send(client, reply_.data() + sent, static_cast<int>(reply_.size() - sent), 0);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        shutdown(client, SD_SEND);
        while (readable(client) && recv(client, chunk, sizeof chunk, 0) > 0) {
        }
        closesocket(client);
    }

    std::string reply_;
    std::string received_;
    SOCKET listener_ = INVALID_SOCKET;   // set before the thread starts, never changed after
    bool listening_ = true;
    int port_ = 0;
    HANDLE thread_ = nullptr;
};

std::string Reply(const std::string& status, const std::string& body) {
    return "HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

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
