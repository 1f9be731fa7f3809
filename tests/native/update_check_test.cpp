#include <gtest/gtest.h>

#include "fakes.h"
#include "help/update_check.h"

using namespace qv;
using namespace qv::test;

namespace {

struct UpdateWorld : FakeWorld {
    CheckUpdateForm dialog{ctx};
    UpdateWorld() {
        loadStrings({{300, "Notice"}, {301, "Failure"}},
                    {{513, "%S is up to date"}, {514, "A newer %s is out"}, {515, "No address"}});
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
    const std::string failure = "Failure connecting to internet or webserver. HTTP response code: ",
                      upToDate = "Quorvel Lite is up to date";
    for (auto [body, code, outcome] : cases) {
        SCOPED_TRACE(std::string(body) + " / " + code);
        UpdateWorld w;
        w.check(body, code);
        ASSERT_EQ(w.http.calls.size(), 1u);
        const FakeHttp::Call& call = w.http.calls[0];
        EXPECT_EQ(call.url + " " + call.post + " " + std::to_string(call.port),
                  "http://www.example.test/support/checkupdates.php appid=LE&version=1.0.3 80");
        EXPECT_FALSE(w.desktop.busy);
        Log boxes;
        if (outcome == UpToDate) boxes = {FakeMessageBoxes::box("Vantrel", upToDate, MbIconInformation)};
        if (outcome == Failure) boxes = {FakeMessageBoxes::box("Error", failure + code, MbIconCritical)};
        EXPECT_EQ(w.messages.boxes(), boxes);
        EXPECT_EQ(w.forms.shown, outcome == Dialog ? Log{"frmcheckupdate modeless"} : Log{});
        if (outcome != Dialog) continue;
        EXPECT_EQ(w.dialogView().caption("lbdesc"), "A newer Quorvel Lite is out");
        EXPECT_EQ(w.dialogView().caption("lburl"), "http://www.example.test/support/software.html");
    }
}

TEST(UpdateDialog, LinkOpensTheDownloadPageAndClosesEvenWhenTheBrowserFailsButNotWhenEmpty) {
    const std::string page = "http://www.example.test/support/software.html";
    const std::tuple<std::string, std::intptr_t, std::string> cases[] = {
        {page, 42, ""},
        {page, 32, FakeMessageBoxes::box("Failure", "Error: No application is associated", MbIconCritical)},
        {"  ", 42, FakeMessageBoxes::box("Notice", "No address", MbIconExclamation)}};
    for (auto& [link, result, box] : cases) {
        SCOPED_TRACE(box);
        UpdateWorld w;
        w.programStrings.texts[1005] = link;
        w.shell.openResult = result;
        w.shell.errorDescription = "No application is associated";
        w.check();
        w.dialog.click("lburl");
        const bool empty = link != page;
        EXPECT_EQ(w.shell.opened, empty ? Log{} : Log{page});
        EXPECT_EQ(w.messages.boxes(), box.empty() ? Log{} : Log{box});
        EXPECT_EQ(w.dialogView().isOpen(), empty);
        EXPECT_FALSE(w.desktop.busy);
    }
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
