// A tiny HTTP/1.0 server on 127.0.0.1, on a thread of the test that starts it: accepts one
// connection, reads one request (headers and a Content-Length body), answers with `reply` and
// closes. Every wait is bounded so that a client fault cannot hang the test.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

class TinyHttpServer {
public:
    // `port` 0 takes any free port.
    explicit TinyHttpServer(std::string reply, int port = 0) : reply_(std::move(reply)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<u_short>(port));
        int length = sizeof address;
        bound_ = bind(listener_, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(listener_, 1) == 0;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = CreateThread(nullptr, 0, &TinyHttpServer::run, this, 0, nullptr);
    }
    ~TinyHttpServer() { finish(); }
    // Stops listening and waits for the serving thread; afterwards the request is complete.
    void finish() {
        if (!thread_) return;
        closesocket(listener_);   // ends a pending accept
        WaitForSingleObject(thread_, 30000);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    int port() const { return port_; }
    bool bound() const { return bound_; }
    std::string requestLine() const { return received_.substr(0, received_.find("\r\n")); }
    std::string body() const {
        const auto end = received_.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : received_.substr(end + 4);
    }
    bool hasHeader(const std::string& line) const { return received_.find("\r\n" + line + "\r\n") != std::string::npos; }

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
    // The headers, and as much body as they announce, have arrived.
    bool complete() const {
        const auto end = received_.find("\r\n\r\n"), at = received_.find("\r\nContent-Length:");
        if (end == std::string::npos) return false;
        return received_.size() >= end + 4 + (at < end ? std::stoul(received_.substr(at + 17)) : 0);
    }
    void serve() {
        SOCKET client = readable(listener_) ? accept(listener_, nullptr, nullptr) : INVALID_SOCKET;
        if (client == INVALID_SOCKET) return;
        char chunk[4096];
        for (int n = 1; n > 0 && !complete() && readable(client);) {
            n = recv(client, chunk, sizeof chunk, 0);
            if (n > 0) received_.append(chunk, static_cast<std::size_t>(n));
        }
        send(client, reply_.data(), static_cast<int>(reply_.size()), 0);   // a blocking socket sends it all
        shutdown(client, SD_SEND);
        while (readable(client) && recv(client, chunk, sizeof chunk, 0) > 0) {
        }
        closesocket(client);
    }

    std::string reply_, received_;
    SOCKET listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    bool bound_ = false;
    int port_ = 0;
    HANDLE thread_ = nullptr;
};

inline std::string Reply(const std::string& status, const std::string& body) {
    return "HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}
