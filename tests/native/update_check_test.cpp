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
    void check(const std::string& body, const std::string& code) {
        http.body = body;
        http.code = code;
        mnuHelpUpdates(ctx, dialog);
    }
    FakeView& dialogView() { return forms.viewOf(dialog); }
};

}  // namespace

TEST(UpdateCheck, RequestBody) {
    EXPECT_EQ(UpdateRequestBody("LE", 1, 2, 3), "appid=LE&version=1.2.3");
    EXPECT_EQ(UpdateRequestBody("LE", 10, 0, 12), "appid=LE&version=10.0.12");
}

TEST(UpdateCheck, StatusBetweenTheTags) {
    struct Case {
        const char* response;
        const char* status;   // "?" stands for "left unchanged"
    };
    const Case cases[] = {
        {"<status>1</status>", "1"},
        {"<reply><status>2</status><note>x</note></reply>", "2"},
        {"<status></status>", ""},
        {"<status> 1 </status><status>3</status>", " 1 "},
        {"no tags here", "?"},
        {"<status>1", "?"},
        {"</status><status>1</status>", "?"},   // the first closing tag comes first
        {"   ", "?"},
        {"", "?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.response);
        std::string status = "?";
        GetUpdateStatus(c.response, status);
        EXPECT_EQ(status, c.status);
    }
}

TEST(UpdateCheck, SendsEditionAndVersionToTheUpdateAddress) {
    UpdateWorld w;
    w.check("<status>1</status>", "200");
    ASSERT_EQ(w.http.calls.size(), 1u);
    EXPECT_EQ(w.http.calls[0].url, "http://www.example.test/support/checkupdates.php");
    EXPECT_EQ(w.http.calls[0].post, "appid=LE&version=" + VersionText());
    EXPECT_EQ(w.http.calls[0].port, 80);
    EXPECT_FALSE(w.desktop.busy);
}

TEST(UpdateCheck, AnswerDecidesBetweenMessageDialogAndFailure) {
    enum Outcome { UpToDate, Dialog, Failure };
    struct Case {
        const char* body;
        const char* code;
        Outcome outcome;
    };
    const Case cases[] = {
        {"<status>1</status>", "200", UpToDate},
        {"<status>1</status>", "204", UpToDate},
        {"<status>2</status>", "200", Dialog},
        {"<html>no tag pair</html>", "200", Dialog},
        {"<status>1</status>", "404", Failure},
        {"<status>2</status>", "500", Failure},
        {"", "200", Failure},
        {"    ", "200", Failure},
        {"<status>1</status>", "", Failure},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.body) + " / " + c.code);
        UpdateWorld w;
        w.check(c.body, c.code);
        switch (c.outcome) {
        case UpToDate:
            ASSERT_EQ(w.messages.shown.size(), 1u);
            EXPECT_EQ(w.messages.last().text, "Quorvel Lite is up to date");
            EXPECT_EQ(w.messages.last().title, "Vantrel");
            EXPECT_EQ(w.messages.last().flags, unsigned(MbIconInformation));
            EXPECT_TRUE(w.forms.shown.empty());
            break;
        case Dialog:
            EXPECT_TRUE(w.messages.shown.empty());
            ASSERT_EQ(w.forms.shown, std::vector<std::string>{"frmcheckupdate modeless"});
            EXPECT_EQ(w.dialogView().caption(""), "Update");
            EXPECT_EQ(w.dialogView().caption("lbdesc"), "A newer Quorvel Lite is out");
            EXPECT_EQ(w.dialogView().caption("lburl"), "http://www.example.test/support/software.html");
            EXPECT_TRUE(w.dialogView().isOpen());
            break;
        case Failure:
            ASSERT_EQ(w.messages.shown.size(), 1u);
            EXPECT_EQ(w.messages.last().text,
                      std::string("Failure connecting to internet or webserver. HTTP response code: ") + c.code);
            EXPECT_EQ(w.messages.last().title, "Error");
            EXPECT_EQ(w.messages.last().flags, unsigned(MbIconCritical));
            EXPECT_TRUE(w.forms.shown.empty());
            break;
        }
        EXPECT_FALSE(w.desktop.busy);
    }
}

TEST(UpdateDialog, LinkOpensTheDownloadPageAndCloses) {
    UpdateWorld w;
    w.check("<status>2</status>", "200");
    w.dialog.click("lburl");
    EXPECT_EQ(w.shell.opened, std::vector<std::string>{"http://www.example.test/support/software.html"});
    EXPECT_EQ(w.desktop.slept, 1000u);
    EXPECT_TRUE(w.messages.shown.empty());
    EXPECT_FALSE(w.dialogView().isOpen());
    EXPECT_FALSE(w.desktop.busy);
}

TEST(UpdateDialog, BrowserFailureIsReportedAndTheDialogCloses) {
    UpdateWorld w;
    w.shell.openResult = 32;
    w.shell.errorDescription = "No application is associated";
    w.check("<status>2</status>", "200");
    w.dialog.click("lburl");
    ASSERT_EQ(w.messages.shown.size(), 1u);
    EXPECT_EQ(w.messages.last().text, "Error: No application is associated");
    EXPECT_EQ(w.messages.last().title, "Failure");
    EXPECT_EQ(w.messages.last().flags, unsigned(MbIconCritical));
    EXPECT_FALSE(w.dialogView().isOpen());
}

TEST(UpdateDialog, EmptyLinkRefusesAndStaysOpen) {
    UpdateWorld w;
    w.programStrings.texts[1005] = "  ";
    w.check("<status>2</status>", "200");
    w.dialog.click("lburl");
    EXPECT_TRUE(w.shell.opened.empty());
    ASSERT_EQ(w.messages.shown.size(), 1u);
    EXPECT_EQ(w.messages.last().text, "No address");
    EXPECT_EQ(w.messages.last().title, "Notice");
    EXPECT_EQ(w.messages.last().flags, unsigned(MbIconExclamation));
    EXPECT_TRUE(w.dialogView().isOpen());
    EXPECT_FALSE(w.desktop.busy);
    w.dialog.click("cmdOk");
    EXPECT_FALSE(w.dialogView().isOpen());
}

TEST(UpdateDialog, SecondCheckReusesTheOpenDialogAndReopensAClosedOne) {
    UpdateWorld w;
    w.check("<status>2</status>", "200");
    w.loadStrings({}, {{514, "Newer still: %s"}});
    w.check("<status>3</status>", "200");
    EXPECT_EQ(w.forms.shown.size(), 1u);
    EXPECT_EQ(w.dialogView().caption("lbdesc"), "Newer still: Quorvel Lite");
    w.dialog.click("cmdOk");
    w.check("<status>3</status>", "200");
    EXPECT_EQ(w.forms.shown.size(), 2u);
    EXPECT_TRUE(w.dialogView().isOpen());
}
