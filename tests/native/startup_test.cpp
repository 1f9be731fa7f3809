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
    std::string onlyMessage() {
        EXPECT_EQ(messages.shown.size(), 1u);
        if (messages.shown.empty()) return {};
        EXPECT_EQ(messages.last().title, "Error");
        EXPECT_EQ(messages.last().flags, MbOk | MbIconCritical);
        return messages.last().text;
    }
};

}  // namespace

TEST(Startup, FreshStartCreatesSettingsLoadsLibrariesAndShowsTheMainWindow) {
    StartupWorld w;
    w.fs.put(w.path("OwnerLock.ini"), "[OwnerInfo]\r\nName=Ann\r\n");
    w.desktop.windows[{"TaskManagerWindow", "Windows Task Manager"}] = 77;
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

TEST(Startup, FixedFailureMessagesInTheirOrder) {
    {
        StartupWorld w;
        w.system.otherInstance = true;
        EXPECT_EQ(w.run(), StartupResult::Ended);
        EXPECT_EQ(w.onlyMessage(), kMsgAlreadyRunning);
        EXPECT_FALSE(w.fs.has(w.path("setting.ini")));   // nothing touched
        EXPECT_FALSE(w.fs.has("C:\\Vantrel\\temp\\qv_langfile0409.dll"));
    }
    {
        StartupWorld w;
        w.fs.put(w.path("setting.ini"), "[Setting]\r\nLanguage=\r\nCharset=\r\n");
        EXPECT_EQ(w.run(), StartupResult::Ended);
        EXPECT_EQ(w.onlyMessage(), kMsgNoLanguageId);   // language first, even with the charset empty too
    }
    {
        StartupWorld w;
        w.fs.put(w.path("setting.ini"), "[Setting]\r\nLanguage=0804\r\nCharset=\r\n");
        EXPECT_EQ(w.run(), StartupResult::Ended);
        EXPECT_EQ(w.onlyMessage(), kMsgNoLanguageFile);   // the library is checked before the charset
    }
    {
        StartupWorld w;
        w.fs.put(w.path("setting.ini"), "[Setting]\r\nLanguage=0409\r\nCharset=\r\n");
        EXPECT_EQ(w.run(), StartupResult::Ended);
        EXPECT_EQ(w.onlyMessage(), kMsgNoCharset);
        EXPECT_EQ(w.ctx.strings().languageHandle(), 0u);   // no library loaded on a failure
    }
    {
        StartupWorld w;   // a hidden language library still counts
        w.fs.setAttributes(w.path("langfile0409.dll"), AttrHidden);
        EXPECT_EQ(w.run(), StartupResult::MainWindowShown);
    }
}

TEST(Startup, MainWindowUnloadedByItsLoadIsShownAgain) {
    StartupWorld w;
    w.windows.mainStays = false;
    EXPECT_EQ(w.run(), StartupResult::Ended);
    EXPECT_EQ(w.windows.mains, 2);
}

TEST(ProgressForm, CaptionsFontAndSkinOnlyOnTheXpFamily) {
    for (auto [os, skinned] : {std::pair{OsVersionInfo{5, 1, 2}, true}, {OsVersionInfo{5, 0, 2}, false},
                               {OsVersionInfo{10, 0, 2}, false}}) {
        FakeWorld w;
        w.ctx.globals().languageId = "0804";
        w.ctx.globals().charsetSetting = "134";
        w.ctx.globals().ownerName = "Ann";
        w.loadStrings({{302, "Title"}, {500, "Wait, %Username."}});
        w.fs.put(w.path("setting.ini"), "[Skin]\r\nSkinFile = Default.skf\r\n");
        w.system.os = os;
        RecordingSkin skin;
        ProgressForm form(w.ctx, skin);
        form.initialize();
        w.forms.showModeless(form);
        FakeView& v = w.forms.viewOf(form);
        EXPECT_EQ(v.caption(""), "Title");
        EXPECT_EQ(v.caption("lbcaption"), "Wait, Ann.");
        EXPECT_EQ(v.controls["lbcaption"].fontSize, 9);
        EXPECT_EQ(v.controls["lbcaption"].charset, 134);
        std::vector<std::string> expected;
        if (skinned)
            expected = {"create", "setting 2", "setting 1", "load F:\\Program\\quorvel\\Default.skf", "apply",
                        "setting 0"};
        EXPECT_EQ(skin.calls, expected);
    }
}
