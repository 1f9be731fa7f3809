// The update check of the real program's Help menu against a server on this machine.
#include "tiny_http_server.h"

#include <gtest/gtest.h>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

TEST(Help, UpdateCheckPostsEditionAndVersionAndShowsTheNewVersion) {
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
    TinyHttpServer server(Reply("200 OK", "<status>2</status>"), 80);
    ASSERT_TRUE(server.bound()) << "port 80 on 127.0.0.1 is taken";
    Program program;
    Click(StartMain(program), IDC_mnuHelpUpdates);
    HWND dialog = DialogWith(program, IDC_lburl);
    EXPECT_EQ(ControlText(dialog, IDC_lbdesc), LibraryString("lic0409.dll", 514, "%s", "Quorvel Lite"));
    server.finish();
    EXPECT_EQ(server.requestLine(), "POST /support/checkupdates.php HTTP/1.0");
    EXPECT_EQ(server.body(), "appid=LE&version=1.0.3");
    EXPECT_TRUE(server.hasHeader("User-Agent: Vantrel_App"));
}
