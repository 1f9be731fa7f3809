// A tiny HTTP/1.0 server on 127.0.0.1, on a thread of the test that starts it.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <string>

// Accepts one connection, reads one request (headers and a Content-Length body), answers
// with `reply` and closes. Every wait is bounded so that a client fault cannot hang the test.
class TinyHttpServer {
public:
    // `port` 0 takes any free port.
    explicit TinyHttpServer(std::string reply, int port = 0) : reply_(std::move(reply)) {
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<u_short>(port));
        bound_ = bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        listen(listener_, 1);
        int length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = CreateThread(nullptr, 0, &TinyHttpServer::run, this, 0, nullptr);
    }
    ~TinyHttpServer() { finish(); }
    // Stops listening and waits for the serving thread; afterwards the request is complete.
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
    bool bound() const { return bound_; }
    std::string requestLine() const { return received_.substr(0, received_.find("\r\n")); }
    std::string body() const {
        auto end = received_.find("\r\n\r\n");
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
    bool bound_ = false;
    HANDLE thread_ = nullptr;
};

inline std::string Reply(const std::string& status, const std::string& body) {
    return "HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

