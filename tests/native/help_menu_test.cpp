#include <gtest/gtest.h>

#include <tuple>

#include "fakes.h"
#include "help/about_form.h"
#include "help/help_documents.h"
#include "help/update_check.h"

using namespace qv;
using namespace qv::test;

namespace {

struct HelpWorld : FakeWorld {
    CheckUpdateForm dialog{ctx};
    HelpWorld() {
        loadStrings({{300, "Notice"}, {301, "Failure"}}, {{303, "About %S"}, {513, "%S is up to date"},
                                                          {514, "A newer %s is out"}, {515, "No address"},
                                                          {527, "Document missing"}});
    }
    void checkUpdates(const std::string& body, const std::string& code = "200") {
        http.body = body;
        http.code = code;
        mnuHelpUpdates(ctx, dialog);
    }
};

const auto Box = FakeMessageBoxes::box;

}  // namespace

TEST(HelpMenu, DocumentsSupportPageAndTheUpdateDialog) {
    HelpWorld w;
    w.fs.put(w.path("feature_0409.pdf"), "%PDF", AttrHidden | AttrArchive | AttrReadOnly);   // hidden still counts
    mnuHelpComparison(w.ctx);
    EXPECT_FALSE(w.desktop.busy);
    w.fs.mkdir(w.path("what_0409.pdf"));   // a folder of that name is no document
    mnuHelpWhat(w.ctx);
    w.programStrings.texts[1000] = "   ";
    mnuHelpOnline(w.ctx);
    w.checkUpdates("<status>2</status>");
    FakeView& v = w.forms.viewOf(w.dialog);
    EXPECT_EQ(v.caption("lbdesc"), "A newer Quorvel Lite is out");
    w.programStrings.texts[998] = "Quorvel Next";   // an open dialog takes the new answer's text
    w.checkUpdates("<status>3</status>");
    const std::string page = "http://www.example.test/support/software.html";
    EXPECT_EQ(v.caption("lbdesc") + " " + v.caption("lburl"), "A newer Quorvel Next is out " + page);
    v.setCaption("lburl", "  ");
    w.dialog.click("lburl");
    EXPECT_TRUE(v.isOpen());
    v.setCaption("lburl", page);
    w.shell.openResult = 32;
    w.shell.errorDescription = "No browser";
    w.dialog.click("lburl");   // the browser failed: reported, and the dialog closes all the same
    EXPECT_FALSE(v.isOpen() || w.desktop.busy);
    EXPECT_EQ(w.shell.opened, (Log{w.path("feature_0409.pdf"), page}));
    const std::string noAddress = Box("Notice", "No address", MbIconExclamation);
    EXPECT_EQ(w.messages.boxes(), (Log{Box("Notice", "Document missing", MbIconExclamation), noAddress, noAddress,
                                       Box("Failure", "Error: No browser", MbIconCritical)}));
    w.checkUpdates("<status>3</status>");
    EXPECT_EQ(w.forms.shown, (Log{"frmcheckupdate modeless", "frmcheckupdate modeless"}));
}

TEST(AboutBox, NamesTheProgramAndStartsSystemInformationFromEitherPlaceOrSaysItIsUnavailable) {
    EXPECT_EQ(RegValueText({4, std::string("\x02\x01\0\0", 4)}), "&h000102");   // two digits a byte
    const std::string folder = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo";
    // Started by its full path, quoted: unquoted, "C:\Program.exe" would run first. With its zero, a path
    // of 1024 characters is over the 1024-byte limit of the registry's answer; one of 1023 is not.
    const std::string place1 = "C:\\msinfo\\msinfo32.exe", place2 = folder + "\\MSINFO32.EXE";
    const std::string longest = "C:\\" + std::string(1020, 'x');
    auto quoted = [](const std::string& path) { return '"' + path + '"'; };
    struct Case { std::string place1; bool toolExists, runWorks; std::string ran; } cases[] = {
        {quoted(place1), true, true, quoted(place1)}, {"msinfo32.exe", true, true, ""},   // "": nothing started
        {place1, true, false, quoted(place1)}, {"", false, true, ""}, {longest + "x", true, true, quoted(place2)},
        {longest, true, true, quoted(longest)}};
    const RegRoot root = RegRoot::LocalMachine;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.place1.substr(0, 40) + (c.toolExists ? " +tool" : ""));
        HelpWorld w;
        w.registry.setString(root, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", c.place1 + '\0');
        w.registry.setString(root, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", folder);
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
        const Log unavailable{Box(kAppTitle, "System Information Is Unavailable At This Time", MbOk)};
        EXPECT_EQ(w.messages.boxes(), !c.ran.empty() && c.runWorks ? Log{} : unavailable);
    }
}

TEST(UpdateCheck, AnswerDecidesBetweenMessageDialogAndFailure) {
    enum Outcome { UpToDate, Dialog, Failure };
    // The status is what stands between the first "<status>" and the first "</status>" after it.
    const std::tuple<const char*, const char*, Outcome> cases[] = {
        {"<status>1</status>", "204", UpToDate}, {"<reply><status>1</status><n>x</n></reply>", "200", UpToDate},
        {"<status> 1 </status><status>1</status>", "200", Dialog}, {"</status><status>1</status>", "200", Dialog},
        {"<status>1", "200", Dialog}, {"<status>1</status>", "404", Failure}, {"    ", "200", Failure}};
    for (auto [body, code, outcome] : cases) {
        SCOPED_TRACE(std::string(body) + " / " + code);
        HelpWorld w;
        w.checkUpdates(body, code);
        EXPECT_FALSE(w.desktop.busy);
        const std::string failed = "Failure connecting to internet or webserver. HTTP response code: ";
        const Log boxes[] = {{Box("Vantrel", "Quorvel Lite is up to date", MbIconInformation)}, {},
                             {Box("Error", failed + code, MbIconCritical)}};
        EXPECT_EQ(w.messages.boxes(), boxes[outcome]);
        EXPECT_EQ(w.forms.shown, outcome == Dialog ? Log{"frmcheckupdate modeless"} : Log{});
    }
}
