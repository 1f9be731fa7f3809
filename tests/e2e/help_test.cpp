// The Help menu on the real program: the about box, a missing help document, and the
// update check against a server on this machine.
#include "tiny_http_server.h"

#include <gtest/gtest.h>

#include <map>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

// Second-library string `id` with the product name filled in, as the program shows it.
std::string Lic(unsigned id) { return Fill(LibraryString("lic0409.dll", id), "%s", "Quorvel Lite"); }

// Points the update address (program string 1001) of the copied program at this machine.
// Only this test's copy is changed; the shipped program has no such switch.
void PointUpdateAddressAt(const std::wstring& url) {
    const std::string exe = FolderPath("quorvel.exe");
    // String block 63 holds ids 992 to 1007.
    std::map<int, std::wstring> texts;
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    for (int id = 992; id < 1008; ++id) {
        wchar_t buffer[512] = {};
        LoadStringW(module, static_cast<UINT>(id), buffer, 512);
        texts[id] = buffer;
    }
    FreeLibrary(module);
    texts[1001] = url;
    std::wstring block;
    for (int id = 992; id < 1008; ++id) {
        block += static_cast<wchar_t>(texts[id].size());
        block += texts[id];
    }
    HANDLE update = BeginUpdateResourceA(exe.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(UpdateResourceW(update, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(63), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                block.data(), static_cast<DWORD>(block.size() * sizeof(wchar_t))));
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
}

class Help : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    static void TearDownTestSuite() { WSACleanup(); }
    void SetUp() override { PrepareProgramFolder(); }
    HWND start() {
        HWND main = program.startMain();
        EXPECT_NE(main, nullptr);
        return main;
    }
    Program program;
};

TEST_F(Help, AboutBoxShowsTheVersionAndCloses) {
    HWND main = start();
    ChooseMenu(main, IDC_mnuHelpAbout);
    HWND about = DialogWith(program, IDC_lblVersion);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), (Lic(303)));
    EXPECT_EQ(ControlText(about, IDC_lblVersion), "Version 1.0.3");
    EXPECT_EQ(ControlText(about, IDC_lblDisclaimer), Lic(500));
    Screenshot(about, "qv-about.bmp");
    Click(about, IDC_cmdOK);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }));
}

TEST_F(Help, MissingDocumentIsReported) {
    DeleteFileIfPresent(FolderPath("what_0409.pdf"));
    HWND main = start();
    ChooseMenu(main, IDC_mnuHelpWhat);
    auto box = program.waitMessageBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, Lic(527));
    EXPECT_EQ(box->icon, MessageBoxInfo::Exclamation);
}

TEST_F(Help, UpdateCheckPostsEditionAndVersionAndReadsTheAnswer) {
    PointUpdateAddressAt(L"http://127.0.0.1/support/checkupdates.php");
    struct Case { const char *status, *body; std::string box; } cases[] = {
        {"200 OK", "<status>1</status>", Lic(513)},
        {"200 OK", "<status>2</status>", ""},   // "": the update dialog instead of a box
        {"404 Not Found", "<status>1</status>", "Failure connecting to internet or webserver. HTTP response code: 404"},
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
            Screenshot(dialog, "qv-update.bmp");
        } else {
            const bool upToDate = c.box == Lic(513);
            ExpectBox(p, c.box, upToDate ? "Vantrel" : "Error",
                      upToDate ? MessageBoxInfo::Information : MessageBoxInfo::Critical, 15s);
        }
        p.kill();
        server.finish();
        EXPECT_EQ(server.requestLine(), "POST /support/checkupdates.php HTTP/1.0");
        EXPECT_EQ(server.body(), "appid=LE&version=1.0.3");
        EXPECT_TRUE(server.hasHeader("User-Agent: Vantrel_App"));
        EXPECT_TRUE(server.hasHeader("Content-Type: application/x-www-form-urlencoded"));
    }
}

}  // namespace
