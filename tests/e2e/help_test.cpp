// The update check of the real program's Help menu against a server on this machine.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

// Whether `s` has something to read (a connection, data or its end) within 20 s.
bool Readable(SOCKET s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait{20, 0};
    return select(0, &set, nullptr, nullptr, &wait) == 1;
}

// A tiny HTTP/1.0 server: answers one connection on `listener` with each body in turn and
// returns the requests. Every wait is bounded, so that a client fault cannot hang the test.
std::vector<std::string> Serve(SOCKET listener, const std::vector<std::string>& bodies) {
    std::vector<std::string> requests;
    for (const std::string& body : bodies) {
        SOCKET client = Readable(listener) ? accept(listener, nullptr, nullptr) : INVALID_SOCKET;
        if (client == INVALID_SOCKET) break;
        std::string& request = requests.emplace_back();
        auto complete = [&] {   // the headers, and as much body as they announce
            const auto end = request.find("\r\n\r\n"), at = request.find("\r\nContent-Length:");
            return end != std::string::npos &&
                   request.size() >= end + 4 + (at < end ? std::stoul(request.substr(at + 17)) : 0);
        };
        char chunk[4096];
        for (int n = 1; n > 0 && !complete() && Readable(client);) {
            n = recv(client, chunk, sizeof chunk, 0);
            if (n > 0) request.append(chunk, static_cast<std::size_t>(n));
        }
        const std::string reply = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                                  "\r\n\r\n" + body;
        send(client, reply.data(), static_cast<int>(reply.size()), 0);   // a blocking socket sends it all
        closesocket(client);   // after the whole request: a graceful close, the reply still delivered
    }
    return requests;
}

}  // namespace

TEST(Help, UpdateCheckPostsEditionAndVersionAndShowsTheAnswer) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    PrepareProgramFolder();
    // Points the update address of the copied program at this machine; the shipped program has
    // no such switch. An address of the same length keeps its string table whole: with leading
    // zeros the numbers still spell 127.0.0.1.
    const std::wstring shipped = L"http://www.vantrel.example/support/checkupdates.php",
                       local = L"http://127.000000.000000.1/support/checkupdates.php";
    const std::size_t bytes = shipped.size() * sizeof(wchar_t);
    std::string exe = ReadFileBytes(FolderPath("quorvel.exe"));
    const std::size_t at = exe.find(reinterpret_cast<const char*>(shipped.data()), 0, bytes);
    ASSERT_NE(at, std::string::npos);
    exe.replace(at, bytes, reinterpret_cast<const char*>(local.data()), bytes);
    WriteFileBytes(FolderPath("quorvel.exe"), exe);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{AF_INET, htons(80), {}, {}};
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_TRUE(!bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) && !listen(listener, 1))
        << "port 80 on 127.0.0.1 is taken";
    // A newer version; then up to date, told only past the first few reads of the reply.
    const std::vector<std::string> replies{"<status>2</status>", std::string(7000, ' ') + "<status>1</status>"};
    auto served = std::async(std::launch::async, Serve, listener, replies);
    Program program;
    HWND main = StartMain(program);
    Click(main, IDC_mnuHelpUpdates);
    HWND dialog = DialogWith(program, IDC_lburl);
    EXPECT_EQ(ControlText(dialog, IDC_lbdesc), LibraryString("lic0409.dll", 514, "%s", "Quorvel Lite"));
    Click(main, IDC_mnuHelpUpdates);
    ExpectBox(program, LibraryString("lic0409.dll", 513, "%s", "Quorvel Lite"));
    const std::vector<std::string> requests = served.get();
    closesocket(listener);
    ASSERT_EQ(requests.size(), 2u);
    for (const std::string& request : requests) {
        EXPECT_EQ(request.substr(0, request.find("\r\n")), "POST /support/checkupdates.php HTTP/1.0");
        EXPECT_NE(request.find("\r\nUser-Agent: Vantrel_App\r\n"), std::string::npos);
        EXPECT_NE(request.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
        EXPECT_TRUE(request.ends_with("\r\n\r\nappid=LE&version=1.0.3")) << request;
    }
    // The server is gone: a refused connection is a failure (with whatever code WinInet makes up).
    Click(main, IDC_mnuHelpUpdates);
    EXPECT_TRUE(ControlText(DialogWith(program, 0xFFFF), 0xFFFF).starts_with("Failure connecting to internet"));
}
