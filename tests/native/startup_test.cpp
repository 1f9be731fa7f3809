#include <gtest/gtest.h>

#include "app/progress_form.h"
#include "app/startup.h"
#include "fakes.h"

using namespace qv;
using namespace qv::test;

namespace {

const std::string kLangCopy = "C:\\Vantrel\\temp\\qv_langfile0409.dll", kLicCopy = "C:\\Vantrel\\temp\\qvlic_0409.dll";

struct StartupWorld : FakeWorld, StartupWindows {
    int mains = 0;
    bool mainStays = true;
    void showProgress() override {}
    bool showMain() override {
        ++mains;
        return mainStays;
    }
    StartupWorld() {
        ctx.globals().languageId.clear();
        fs.put(path("langfile0409.dll"), FakeStringLoader::table({{302, "Main"}, {500, std::string(400, 'x')}}),
               AttrHidden);   // a hidden library still counts
        fs.put(path("lic0409.dll"), FakeStringLoader::table({{103, "&Help"}}));
    }
};

}  // namespace

TEST(Startup, FreshStartLoadsCopiesOfTheLibrariesAndShowsTheMainWindowAgainWhenItsLoadUnloadedIt) {
    for (bool mainStays : {true, false}) {
        StartupWorld w;
        w.mainStays = mainStays;
        w.fs.put(w.path("OwnerLock.ini"), "[OwnerInfo]\r\nName=Ann\r\n");
        w.desktop.windows[{"TaskManagerWindow", "Windows Task Manager"}] = 77;
        EXPECT_EQ(RunMain(w.ctx, w), mainStays ? StartupResult::MainWindowShown : StartupResult::Ended);
        EXPECT_EQ(w.mains, mainStays ? 1 : 2);
        EXPECT_EQ(w.fs.get(w.path("setting.ini")),
                  "[Setting]\r\nLanguage=0409\r\nCharset=0\r\n\r\n[Skin]\r\nSkinFile = Default.skf\r\n");
        const Globals& g = w.ctx.globals();
        EXPECT_EQ(g.languageId + g.charsetSetting + g.ownerName + " " + g.programFolder + " " + g.exeName,
                  "04090Ann F:\\Program\\quorvel quorvel");
        EXPECT_EQ(w.desktop.closed, std::vector<WindowHandle>{77});   // Task Manager asked to close
        EXPECT_TRUE(w.messages.shown.empty());
        EXPECT_TRUE(w.fs.has(kLangCopy) && w.fs.has(kLicCopy));
        EXPECT_EQ(w.ctx.lang(302) + w.ctx.lic(103) + w.ctx.lang(999), "Main&Help");   // a missing id: empty
        EXPECT_EQ(w.ctx.lang(500), std::string(382, 'x'));
        w.ctx.strings().freeLicLibrary();
        w.ctx.strings().freeLanguageLibrary();
        EXPECT_FALSE(w.fs.has(kLangCopy) || w.fs.has(kLicCopy));
        EXPECT_EQ(w.ctx.lang(302), "");
    }
}

TEST(Startup, FailuresEndTheProgramWithTheFirstProblemsMessage) {
    struct Case { const char* settings; bool otherInstance; std::string message; };
    const Case cases[] = {
        {nullptr, true, kMsgAlreadyRunning},   // a second instance touches nothing
        {"Language=\r\nCharset=", false, kMsgNoLanguageId},   // the language first, the library before the charset
        {"Language=0804\r\nCharset=", false, kMsgNoLanguageFile}, {"Language=0409\r\nCharset=", false, kMsgNoCharset},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        StartupWorld w;
        w.system.otherInstance = c.otherInstance;
        if (c.settings) w.fs.put(w.path("setting.ini"), std::string("[Setting]\r\n") + c.settings + "\r\n");
        EXPECT_EQ(RunMain(w.ctx, w), StartupResult::Ended);
        w.messages.expectOnly(c.message, "Error", MbOk | MbIconCritical);
        EXPECT_EQ(w.fs.has(w.path("setting.ini")), c.settings != nullptr);
        EXPECT_EQ(w.ctx.strings().languageHandle(), 0u);   // no library loaded on a failure
    }
}

TEST(Startup, StaleLibraryCopyThatCannotBeReplacedIsNeverLoaded) {
    StartupWorld w;
    w.fs.put(kLangCopy, FakeStringLoader::table({{302, "old"}}));
    w.fs.put(kLicCopy, FakeStringLoader::table({{103, "old lic"}}));
    w.fs.failRemoves = {kLangCopy, kLicCopy};
    w.fs.failWrites = {kLicCopy};
    EXPECT_EQ(RunMain(w.ctx, w), StartupResult::MainWindowShown);
    EXPECT_EQ(w.ctx.lang(302) + w.ctx.lic(103), "");
}

TEST(ProgressForm, GreetsTheOwnerAndIsSkinnedOnlyOnTheXpFamily) {
    struct RecordingSkin : SkinComponent {
        Log calls;
        void create() override { calls.push_back("create"); }
        void setting(int v) override { calls.push_back("setting " + std::to_string(v)); }
        void loadSkin(const std::string& p) override { calls.push_back("load " + p); }
        void apply() override { calls.push_back("apply"); }
    };
    for (auto [os, skinned] : {std::pair{OsVersionInfo{5, 1, 2}, true}, {OsVersionInfo{5, 0, 2}, false}}) {
        FakeWorld w;
        w.ctx.globals().ownerName = "Ann";
        w.ctx.globals().languageId = "0804";
        w.ctx.globals().charsetSetting = "129";
        w.loadStrings({{500, "Wait, %Username."}});
        w.fs.put(w.path("setting.ini"), "[Skin]\r\nSkinFile = Default.skf\r\n");
        w.system.os = os;
        RecordingSkin skin;
        ProgressForm form(w.ctx, skin);
        form.initialize();
        w.forms.showModeless(form);
        EXPECT_EQ(w.forms.viewOf(form).caption("lbcaption"), "Wait, Ann.");
        const FakeView::Control& caption = w.forms.viewOf(form).c("lbcaption");
        EXPECT_EQ(std::pair(caption.fontSize, caption.charset), std::pair(9, 129));   // the language's font rule
        const Log calls{"create", "setting 2", "setting 1", "load F:\\Program\\quorvel\\Default.skf", "apply", "setting 0"};
        EXPECT_EQ(skin.calls, skinned ? calls : Log{});
    }
}
