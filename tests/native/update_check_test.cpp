#include <gtest/gtest.h>

#include "fakes.h"
#include "help/program_version.h"
#include "help/update_check.h"

using namespace qv;
using namespace qv::test;

namespace {

struct UpdateWorld : FakeWorld {
    CheckUpdateForm dialog{ctx};
    UpdateWorld() {
        loadStrings({{300, "Notice"}, {301, "Failure"}},
                    {{307, "Update"}, {513, "%S is up to date"}, {514, "A newer %s is out"}, {515, "No address"}});
    }
    void check(const std::string& body = "<status>2</status>", const std::string& code = "200") {
        http.body = body;
        http.code = code;
        mnuHelpUpdates(ctx, dialog);
    }
    FakeView& dialogView() { return forms.viewOf(dialog); }
};

}  // namespace

TEST(UpdateCheck, RequestBodyAndStatusBetweenTheTags) {
    EXPECT_EQ(UpdateRequestBody("LE", 1, 2, 3), "appid=LE&version=1.2.3");
    EXPECT_EQ(UpdateRequestBody("LE", 10, 0, 12), "appid=LE&version=10.0.12");
    const std::pair<const char*, const char*> cases[] = {   // "?" stands for "left unchanged"
        {"<status>1</status>", "1"}, {"<reply><status>2</status><note>x</note></reply>", "2"},
        {"<status></status>", ""}, {"<status> 1 </status><status>3</status>", " 1 "}, {"no tags here", "?"},
        {"<status>1", "?"}, {"</status><status>1</status>", "?"},   // the first closing tag comes first
        {"   ", "?"}, {"", "?"}};
    for (auto [response, expected] : cases) {
        std::string status = "?";
        GetUpdateStatus(response, status);
        EXPECT_EQ(status, expected) << response;
    }
}

TEST(UpdateCheck, AnswerDecidesBetweenMessageDialogAndFailure) {
    enum Outcome { UpToDate, Dialog, Failure };
    const std::tuple<const char*, const char*, Outcome> cases[] = {
        {"<status>1</status>", "200", UpToDate}, {"<status>1</status>", "204", UpToDate},
        {"<status>2</status>", "200", Dialog}, {"<html>no tag pair</html>", "200", Dialog},
        {"<status>1</status>", "404", Failure}, {"<status>2</status>", "500", Failure}, {"", "200", Failure},
        {"    ", "200", Failure}, {"<status>1</status>", "", Failure}};
    for (auto [body, code, outcome] : cases) {
        SCOPED_TRACE(std::string(body) + " / " + code);
        UpdateWorld w;
        w.check(body, code);
        ASSERT_EQ(w.http.calls.size(), 1u);
        EXPECT_EQ(w.http.calls[0].url, "http://www.example.test/support/checkupdates.php");
        EXPECT_EQ(w.http.calls[0].post, "appid=LE&version=" + VersionText());
        EXPECT_EQ(w.http.calls[0].port, 80);
        EXPECT_FALSE(w.desktop.busy);
        if (outcome == UpToDate) w.messages.expectOnly("Quorvel Lite is up to date", "Vantrel", MbIconInformation);
        if (outcome == Failure)
            w.messages.expectOnly(std::string("Failure connecting to internet or webserver. HTTP response code: ") + code,
                                "Error", MbIconCritical);
        if (outcome != Dialog) {
            EXPECT_TRUE(w.forms.shown.empty());
            continue;
        }
        EXPECT_TRUE(w.messages.shown.empty());
        ASSERT_EQ(w.forms.shown, std::vector<std::string>{"frmcheckupdate modeless"});
        EXPECT_EQ(w.dialogView().caption(""), "Update");
        EXPECT_EQ(w.dialogView().caption("lbdesc"), "A newer Quorvel Lite is out");
        EXPECT_EQ(w.dialogView().caption("lburl"), "http://www.example.test/support/software.html");
        EXPECT_TRUE(w.dialogView().isOpen());
    }
}

TEST(UpdateDialog, LinkOpensTheDownloadPageAndClosesEvenWhenTheBrowserFails) {
    for (bool fails : {false, true}) {
        SCOPED_TRACE(fails);
        UpdateWorld w;
        if (fails) w.shell.openResult = 32;
        w.shell.errorDescription = "No application is associated";
        w.check();
        w.dialog.click("lburl");
        EXPECT_EQ(w.shell.opened, std::vector<std::string>{"http://www.example.test/support/software.html"});
        EXPECT_EQ(w.desktop.slept, 1000u);
        if (fails) w.messages.expectOnly("Error: No application is associated", "Failure", MbIconCritical);
        else EXPECT_TRUE(w.messages.shown.empty());
        EXPECT_FALSE(w.dialogView().isOpen());
        EXPECT_FALSE(w.desktop.busy);
    }
}

TEST(UpdateDialog, EmptyLinkRefusesAndStaysOpen) {
    UpdateWorld w;
    w.programStrings.texts[1005] = "  ";
    w.check();
    w.dialog.click("lburl");
    EXPECT_TRUE(w.shell.opened.empty());
    w.messages.expectOnly("No address", "Notice", MbIconExclamation);
    EXPECT_TRUE(w.dialogView().isOpen());
    EXPECT_FALSE(w.desktop.busy);
    w.dialog.click("cmdOk");
    EXPECT_FALSE(w.dialogView().isOpen());
}

TEST(UpdateDialog, SecondCheckReusesTheOpenDialogAndReopensAClosedOne) {
    UpdateWorld w;
    w.check();
    w.loadStrings({}, {{514, "Newer still: %s"}});
    w.check("<status>3</status>");
    EXPECT_EQ(w.forms.shown.size(), 1u);
    EXPECT_EQ(w.dialogView().caption("lbdesc"), "Newer still: Quorvel Lite");
    w.dialog.click("cmdOk");
    w.check("<status>3</status>");
    EXPECT_EQ(w.forms.shown.size(), 2u);
    EXPECT_TRUE(w.dialogView().isOpen());
}
