// The update check of the real program's Help menu against a server on this machine.
#include "tiny_http_server.h"

#include <gtest/gtest.h>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

// Second-library string `id` with the product name filled in, as the program shows it.
std::string Lic(unsigned id) { return LibraryString("lic0409.dll", id, "%s", "Quorvel Lite"); }

// Points the update address of the copied program at this machine; the shipped program has no
// such switch. An address of the same length keeps its string table whole: with leading zeros
// the numbers still spell 127.0.0.1.
void PointUpdateAddressAtThisMachine() {
    auto bytes = [](const std::wstring& text) {
        return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    };
    std::string exe = ReadFileBytes(FolderPath("quorvel.exe")).value_or("");
    const std::string shipped = bytes(L"http://www.vantrel.example/support/checkupdates.php");
    const std::size_t at = exe.find(shipped);
    ASSERT_NE(at, std::string::npos);
    WriteFileBytes(FolderPath("quorvel.exe"),
                   exe.replace(at, shipped.size(), bytes(L"http://127.000000.000000.1/support/checkupdates.php")));
}

}  // namespace

TEST(Help, UpdateCheckPostsEditionAndVersionAndShowsTheNewVersion) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    PrepareProgramFolder();
    PointUpdateAddressAtThisMachine();
    TinyHttpServer server(Reply("200 OK", "<status>2</status>"), 80);
    ASSERT_TRUE(server.bound()) << "port 80 on 127.0.0.1 is taken";
    Program program;
    HWND main = program.startMain();
    Click(main, IDC_mnuHelpUpdates);
    HWND dialog = DialogWith(program, IDC_lburl);
    EXPECT_EQ(WindowText(dialog), Lic(307));
    EXPECT_EQ(ControlText(dialog, IDC_lbdesc), Lic(514));
    EXPECT_EQ(ControlText(dialog, IDC_lburl), "http://www.vantrel.example/support/software.html");
    server.finish();
    EXPECT_EQ(server.requestLine(), "POST /support/checkupdates.php HTTP/1.0");
    EXPECT_EQ(server.body(), "appid=LE&version=1.0.3");
    EXPECT_TRUE(server.hasHeader("User-Agent: Vantrel_App"));
    EXPECT_TRUE(server.hasHeader("Content-Type: application/x-www-form-urlencoded"));
    WSACleanup();
}
