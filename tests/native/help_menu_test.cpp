#include <gtest/gtest.h>

#include <tuple>

#include "fakes.h"
#include "help/about_form.h"
#include "help/help_documents.h"
#include "help/http_request_plan.h"
#include "help/update_check.h"

using namespace qv;
using namespace qv::test;

namespace {

constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

struct HelpWorld : FakeWorld {
    CheckUpdateForm dialog{ctx};
    HelpWorld() {
        loadStrings({{300, "Notice"}, {301, "Failure"}}, {{303, "About %S"}, {513, "%S is up to date"},
                                                          {514, "A newer %s is out"}, {515, "No address"},
                                                          {527, "Document missing"}});
    }
    void setReg(const char* key, const char* name, const std::string& data) {
        registry.values[FakeRegistry::path(RegRoot::LocalMachine, key, name)] = {1, data};
    }
    void checkUpdates(const std::string& body = "<status>2</status>", const std::string& code = "200") {
        http.body = body;
        http.code = code;
        mnuHelpUpdates(ctx, dialog);
    }
    FakeView& dialogView() { return forms.viewOf(dialog); }
};

}  // namespace

TEST(HelpMenu, DocumentsOfTheLanguageAndTheSupportPage) {
    HelpWorld w;
    w.fs.put(w.path("feature_0409.pdf"), "%PDF", AttrHidden | AttrArchive | AttrReadOnly);   // hidden still counts
    w.shell.openResult = 33;
    mnuHelpComparison(w.ctx);
    EXPECT_FALSE(w.desktop.busy);
    w.shell.openResult = 32;   // a viewer that fails is reported
    w.shell.errorDescription = "No viewer";
    mnuHelpOnline(w.ctx);
    w.programStrings.texts[1000] = "   ";
    mnuHelpOnline(w.ctx);
    w.fs.mkdir(w.path("what_0409.pdf"));   // a folder of that name is no document
    mnuHelpWhat(w.ctx);
    w.ctx.globals().languageId = "0804";   // no falling back to another language's document
    mnuHelpComparison(w.ctx);
    EXPECT_EQ(w.shell.opened, (Log{w.path("feature_0409.pdf"), "http://www.example.test/support/"}));
    const std::string missing = FakeMessageBoxes::box("Notice", "Document missing", MbIconExclamation);
    EXPECT_EQ(w.messages.boxes(), (Log{FakeMessageBoxes::box("Failure", "Error: No viewer", MbIconCritical),
                                       FakeMessageBoxes::box("Notice", "No address", MbIconExclamation), missing,
                                       missing}));
    EXPECT_FALSE(w.desktop.busy);
}

TEST(AboutBox, RegistryValueText) {
    const std::tuple<std::uint32_t, std::string, std::string> cases[] = {
        {1, std::string("a\0\0", 3), std::string("a\0", 2)},   // only one zero is dropped
        {4, std::string("\x02\x01\0\0", 4), "&h000102"}, {4, std::string("\xff\x0a\x00\x80", 4), "&h80000AFF"},
        {2, "%SystemRoot%\\x.exe", ""}};
    for (auto& [type, data, text] : cases) EXPECT_EQ(RegValueText({type, data}), text) << text;
}

TEST(AboutBox, NamesTheProgramAndStartsSystemInformationFromEitherPlaceOrSaysItIsUnavailable) {
    const std::string folder = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo";
    const std::string place1 = "C:\\msinfo\\msinfo32.exe", place2 = folder + "\\MSINFO32.EXE";
    // Started by its full path, quoted: unquoted, "C:\Program.exe" would run first.
    const std::string quoted1 = '"' + place1 + '"', quoted2 = '"' + place2 + '"';
    // With its zero, a path of 1024 characters is over the 1024-byte limit; one of 1023 is not.
    const std::string tooLong = "C:\\" + std::string(1021, 'x'), longest = "C:\\" + std::string(1020, 'x');
    struct Case { std::string place1; bool toolExists, runWorks; std::string ran; } cases[] = {
        {quoted1, true, true, quoted1}, {"msinfo32.exe", true, true, ""},   // "": nothing started
        {place1, true, false, quoted1}, {"", true, true, quoted2}, {"", false, true, ""},
        {tooLong, true, true, quoted2}, {longest, true, true, '"' + longest + '"'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.place1.substr(0, 40) + (c.toolExists ? " +tool" : ""));
        HelpWorld w;
        if (!c.place1.empty()) w.setReg(kSysInfoKey, "PATH", c.place1 + '\0');
        w.setReg("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", folder);
        if (c.toolExists) w.fs.put(place2, "MZ", AttrHidden);
        w.shell.runResult = c.runWorks;
        w.forms.scripts["frmAbout"] = [&](Form& about) {
            FakeView& v = w.forms.viewOf(about);
            EXPECT_EQ(v.caption("") + ", " + v.caption("lblVersion"), "About Quorvel Lite, Version 1.0.3");
            EXPECT_EQ(v.c("lblDisclaimer").fontSize, 8);   // the language's font rule
            about.click("cmdSysInfo");
        };
        mnuHelpAbout(w.ctx);
        EXPECT_EQ(w.shell.ran, c.ran.empty() ? Log{} : Log{c.ran});
        const bool works = !c.ran.empty() && c.runWorks;
        EXPECT_EQ(w.messages.boxes(), works ? Log{} : Log{FakeMessageBoxes::box(kAppTitle,
                                                  "System Information Is Unavailable At This Time", MbOk)});
    }
}

TEST(UpdateCheck, AnswerDecidesBetweenMessageDialogAndFailure) {
    enum Outcome { UpToDate, Dialog, Failure };
    // The status is what stands between the first "<status>" and the first "</status>" after it.
    const std::tuple<const char*, const char*, Outcome> cases[] = {
        {"<status>1</status>", "204", UpToDate}, {"<reply><status>1</status><n>x</n></reply>", "200", UpToDate},
        {"<status>2</status>", "200", Dialog}, {"<status> 1 </status><status>1</status>", "200", Dialog},
        {"</status><status>1</status>", "200", Dialog}, {"<status>1", "200", Dialog},
        {"<status>1</status>", "404", Failure}, {"    ", "200", Failure}, {"<status>1</status>", "", Failure}};
    const std::string failure = "Failure connecting to internet or webserver. HTTP response code: ";
    for (auto [body, code, outcome] : cases) {
        SCOPED_TRACE(std::string(body) + " / " + code);
        HelpWorld w;
        w.checkUpdates(body, code);
        ASSERT_EQ(w.http.calls.size(), 1u);
        const FakeHttp::Call& call = w.http.calls[0];
        EXPECT_EQ(call.url + " " + call.post + " " + std::to_string(call.port),
                  "http://www.example.test/support/checkupdates.php appid=LE&version=1.0.3 80");
        EXPECT_FALSE(w.desktop.busy);
        Log boxes;
        if (outcome == UpToDate) boxes = {FakeMessageBoxes::box("Vantrel", "Quorvel Lite is up to date", MbIconInformation)};
        if (outcome == Failure) boxes = {FakeMessageBoxes::box("Error", failure + code, MbIconCritical)};
        EXPECT_EQ(w.messages.boxes(), boxes);
        EXPECT_EQ(w.forms.shown, outcome == Dialog ? Log{"frmcheckupdate modeless"} : Log{});
    }
}

TEST(UpdateDialog, ReusedWhileOpenRefusesAnEmptyLinkAndClosesOnceThePageIsAsked) {
    HelpWorld w;
    w.checkUpdates();
    EXPECT_EQ(w.dialogView().caption("lbdesc"), "A newer Quorvel Lite is out");
    w.programStrings.texts[998] = "Quorvel Next";   // the product named in the answer
    w.checkUpdates("<status>3</status>");
    EXPECT_EQ(w.forms.shown.size(), 1u);
    EXPECT_EQ(w.dialogView().caption("lbdesc"), "A newer Quorvel Next is out");
    const std::string page = "http://www.example.test/support/software.html";
    EXPECT_EQ(w.dialogView().caption("lburl"), page);
    w.dialogView().setCaption("lburl", "  ");
    w.dialog.click("lburl");
    EXPECT_TRUE(w.dialogView().isOpen());
    w.dialogView().setCaption("lburl", page);
    w.shell.openResult = 32;   // the browser failed: reported, and the dialog closes all the same
    w.shell.errorDescription = "No browser";
    w.dialog.click("lburl");
    EXPECT_EQ(w.shell.opened, Log{page});
    EXPECT_EQ(w.messages.boxes(), (Log{FakeMessageBoxes::box("Notice", "No address", MbIconExclamation),
                                       FakeMessageBoxes::box("Failure", "Error: No browser", MbIconCritical)}));
    EXPECT_FALSE(w.dialogView().isOpen() || w.desktop.busy);
    w.checkUpdates("<status>3</status>");
    EXPECT_EQ(w.forms.shown.size(), 2u);
    EXPECT_TRUE(w.dialogView().isOpen());
}

TEST(HttpRequestPlan, HostObjectMethodAndFlags) {
    // The scheme is removed case-sensitively, wherever it occurs; no post data means GET.
    const std::tuple<const char*, const char*, const char*, const char*, int> cases[] = {
        {"http://www.example.test/support/check.php", "www.example.test", "support/check.php", "x=1", 80},
        {"https://secure.example.test/go?to=http://other/y", "secure.example.test", "go?to=other/y", "", 443},
        {"www.example.test", "www.example.test", "", "", 80}, {"HTTP://host/x", "HTTP:", "/host/x", "", 80},
    };
    const std::string form = " POST Content-Type: application/x-www-form-urlencoded\r\n";
    for (auto [url, host, object, post, port] : cases) {
        auto plan = PlanHttpRequest(url, post, port);
        ASSERT_TRUE(plan.has_value()) << url;
        EXPECT_EQ(plan->host + " " + plan->object + " " + plan->method + " " + plan->headers + plan->body,
                  std::string(host) + " " + object + (*post ? form : " GET ") + post);
        EXPECT_EQ(plan->flags, port == 443 ? 0x00801000u : 0x80000000u) << url;
    }
    EXPECT_FALSE(PlanHttpRequest("http://www.example.test", "a=b", 80).has_value());
}
