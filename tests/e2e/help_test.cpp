// The Help menu on the real program: the about box, a missing help document, and the update
// check against a server on this machine.
#include "tiny_http_server.h"

#include <gtest/gtest.h>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

// Second-library string `id` with the product name filled in, as the program shows it.
std::string Lic(unsigned id) { return LibraryString("lic0409.dll", id, "%s", "Quorvel Lite"); }

// Points the update address (program string 1001) of the copied program at this machine.
// Only this test's copy is changed; the shipped program has no such switch.
void PointUpdateAddressAt(const std::wstring& url) {
    const std::string exe = FolderPath("quorvel.exe");
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::wstring block;   // string block 63: ids 992 to 1007, each after its length
    for (UINT id = 992; id < 1008; ++id) {
        wchar_t buffer[512] = {};
        LoadStringW(module, id, buffer, 512);
        const std::wstring text = id == 1001 ? url : buffer;
        block += static_cast<wchar_t>(text.size()) + text;
    }
    FreeLibrary(module);
    HANDLE update = BeginUpdateResourceA(exe.c_str(), FALSE);
    ASSERT_TRUE(update && UpdateResourceW(update, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(63),
                                          MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), block.data(),
                                          static_cast<DWORD>(block.size() * sizeof(wchar_t))));
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
}

}  // namespace

TEST(Help, AboutBoxAndAMissingDocument) {
    PrepareProgramFolder();
    DeleteFileIfPresent(FolderPath("what_0409.pdf"));
    Program program;
    HWND main = program.startMain();
    ASSERT_NE(main, nullptr);
    ChooseMenu(main, IDC_mnuHelpAbout);
    HWND about = DialogWith(program, IDC_lblVersion);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), Lic(303));
    EXPECT_EQ(ControlText(about, IDC_lblVersion), "Version 1.0.3");
    EXPECT_EQ(ControlText(about, IDC_lblDisclaimer), Lic(500));
    Click(about, IDC_cmdOK);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }));
    ChooseMenu(main, IDC_mnuHelpWhat);
    ExpectBox(program, Lic(527), LibraryString("langfile0409.dll", 300));
}

TEST(Help, UpdateCheckPostsEditionAndVersionAndReadsTheAnswer) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    PrepareProgramFolder();
    PointUpdateAddressAt(L"http://127.0.0.1/support/checkupdates.php");
    struct Case { const char *status, *body; std::string box, title; } cases[] = {
        {"200 OK", "<status>1</status>", Lic(513), "Vantrel"},
        {"200 OK", "<status>2</status>", "", ""},   // the update dialog instead of a box
        {"404 Not Found", "<status>1</status>", "Failure connecting to internet or webserver. HTTP response code: 404",
         "Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.status) + " " + c.body);
        TinyHttpServer server(Reply(c.status, c.body), 80);
        ASSERT_TRUE(server.bound()) << "port 80 on 127.0.0.1 is taken";
        Program p;
        HWND main = p.startMain();
        ASSERT_NE(main, nullptr);
        ChooseMenu(main, IDC_mnuHelpUpdates);
        if (c.box.empty()) {
            HWND dialog = DialogWith(p, IDC_lburl);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(WindowText(dialog), Lic(307));
            EXPECT_EQ(ControlText(dialog, IDC_lbdesc), Lic(514));
            EXPECT_EQ(ControlText(dialog, IDC_lburl), "http://www.vantrel.example/support/software.html");
        } else {
            ExpectBox(p, c.box, c.title, IDOK, 15s);
        }
        p.kill();
        server.finish();
        EXPECT_EQ(server.requestLine(), "POST /support/checkupdates.php HTTP/1.0");
        EXPECT_EQ(server.body(), "appid=LE&version=1.0.3");
        EXPECT_TRUE(server.hasHeader("User-Agent: Vantrel_App"));
        EXPECT_TRUE(server.hasHeader("Content-Type: application/x-www-form-urlencoded"));
    }
    WSACleanup();
}
