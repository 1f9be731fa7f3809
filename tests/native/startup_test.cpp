#include <gtest/gtest.h>

#include "app/progress_form.h"
#include "app/startup.h"
#include "fakes.h"

using namespace qv;
using namespace qv::test;

namespace {

struct RecordingWindows : StartupWindows {
    int progress = 0, mains = 0;
    bool mainStays = true;
    void showProgress() override { ++progress; }
    bool showMain() override {
        ++mains;
        return mainStays;
    }
};

struct RecordingSkin : SkinComponent {
    std::vector<std::string> calls;
    void create() override { calls.push_back("create"); }
    void setting(int v) override { calls.push_back("setting " + std::to_string(v)); }
    void loadSkin(const std::string& p) override { calls.push_back("load " + p); }
    void apply() override { calls.push_back("apply"); }
};

struct StartupWorld : FakeWorld {
    RecordingWindows windows;
    StartupWorld() {
        ctx.globals().languageId.clear();
        fs.put(path("langfile0409.dll"), FakeStringLoader::table({{302, "Main"}, {500, "Hello %USERNAME"}}));
        fs.put(path("lic0409.dll"), FakeStringLoader::table({{103, "&Help"}}));
    }
    StartupResult run() { return RunMain(ctx, windows); }
};

}  // namespace

TEST(Startup, FreshStartCreatesSettingsLoadsLibrariesAndShowsTheMainWindow) {
    StartupWorld w;
    w.fs.put(w.path("OwnerLock.ini"), "[OwnerInfo]\r\nName=Ann\r\n");
    w.desktop.windows[{"TaskManagerWindow", "Windows Task Manager"}] = 77;
    w.fs.setAttributes(w.path("langfile0409.dll"), AttrHidden);   // a hidden library still counts
    EXPECT_EQ(w.run(), StartupResult::MainWindowShown);
    EXPECT_TRUE(w.fs.has(w.path("setting.ini")));
    EXPECT_EQ(w.ctx.globals().languageId, "0409");
    EXPECT_EQ(w.ctx.globals().charsetSetting, "0");
    EXPECT_EQ(w.ctx.globals().ownerName, "Ann");
    EXPECT_EQ(w.ctx.globals().programFolder, "F:\\Program\\quorvel");
    EXPECT_EQ(w.ctx.globals().exeName, "quorvel");
    EXPECT_EQ(w.desktop.closed, std::vector<WindowHandle>{77});   // Task Manager asked to close
    EXPECT_EQ(w.ctx.lang(302), "Main");
    EXPECT_EQ(w.windows.progress, 1);
    EXPECT_EQ(w.windows.mains, 1);
    EXPECT_TRUE(w.messages.shown.empty());
}

TEST(Startup, FailuresEndTheProgramWithTheFirstProblemsMessage) {
    struct Case { const char* name; const char* settings; bool otherInstance; std::string message; };
    const Case cases[] = {
        {"second instance: nothing touched", nullptr, true, kMsgAlreadyRunning},
        {"the language first, even with the charset empty too", "Language=\r\nCharset=", false, kMsgNoLanguageId},
        {"the library is checked before the charset", "Language=0804\r\nCharset=", false, kMsgNoLanguageFile},
        {"no charset", "Language=0409\r\nCharset=", false, kMsgNoCharset},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartupWorld w;
        w.system.otherInstance = c.otherInstance;
        if (c.settings) w.fs.put(w.path("setting.ini"), std::string("[Setting]\r\n") + c.settings + "\r\n");
        EXPECT_EQ(w.run(), StartupResult::Ended);
        w.messages.expectOnly(c.message, "Error", MbOk | MbIconCritical);
        EXPECT_EQ(w.fs.has(w.path("setting.ini")), c.settings != nullptr);
        EXPECT_EQ(w.ctx.strings().languageHandle(), 0u);   // no library loaded on a failure
    }
}

TEST(Startup, MainWindowUnloadedByItsLoadIsShownAgain) {
    StartupWorld w;
    w.windows.mainStays = false;
    EXPECT_EQ(w.run(), StartupResult::Ended);
    EXPECT_EQ(w.windows.mains, 2);
}

TEST(ProgressForm, GreetsTheOwnerAndIsSkinnedOnlyOnTheXpFamily) {
    for (auto [os, skinned] : {std::pair{OsVersionInfo{5, 1, 2}, true}, {OsVersionInfo{5, 0, 2}, false},
                               {OsVersionInfo{10, 0, 2}, false}}) {
        FakeWorld w;
        w.ctx.globals().ownerName = "Ann";
        w.loadStrings({{500, "Wait, %Username."}});
        w.fs.put(w.path("setting.ini"), "[Skin]\r\nSkinFile = Default.skf\r\n");
        w.system.os = os;
        RecordingSkin skin;
        ProgressForm form(w.ctx, skin);
        form.initialize();
        w.forms.showModeless(form);
        EXPECT_EQ(w.forms.viewOf(form).caption("lbcaption"), "Wait, Ann.");
        std::vector<std::string> expected;
        if (skinned)
            expected = {"create", "setting 2", "setting 1", "load F:\\Program\\quorvel\\Default.skf", "apply",
                        "setting 0"};
        EXPECT_EQ(skin.calls, expected);
    }
}
