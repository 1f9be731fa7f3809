#include <gtest/gtest.h>

#include "app/progress_form.h"
#include "app/startup.h"
#include "fakes.h"

using namespace qv;
using namespace qv::test;

namespace {

const std::string kLangCopy = "C:\\Vantrel\\temp\\qv_langfile0409.dll", kLicCopy = "C:\\Vantrel\\temp\\qvlic_0409.dll";

// The windows of the start, shown as the Windows layer does, and the XP skin: all in `calls`.
struct StartupWorld : FakeWorld, StartupWindows, SkinComponent {
    Log calls;
    bool mainStays = true;
    StartupWorld() {
        ctx.globals().languageId.clear();
        fs.put(path("langfile0409.dll"), FakeStringLoader::table({{302, "Main"}, {500, "Wait, %Username."}}),
               AttrHidden);   // a hidden library still counts
        fs.put(path("lic0409.dll"), FakeStringLoader::table({{103, "&Help"}}));
    }
    void showProgress() override {
        ProgressForm progress(ctx, *this);
        progress.initialize();
        forms.showModeless(progress);
        FakeView& v = forms.viewOf(progress);
        calls.push_back(v.caption("lbcaption") + " " + std::to_string(v.c("lbcaption").fontSize));
    }
    bool showMain() override {
        calls.push_back("main");
        return mainStays;
    }
    void create() override { calls.push_back("create"); }
    void setting(int v) override { calls.push_back("setting " + std::to_string(v)); }
    void loadSkin(const std::string& p) override { calls.push_back("load " + p); }
    void apply() override { calls.push_back("apply"); }
};

}  // namespace

TEST(Startup, FreshStartOrTheFirstProblemsMessage) {
    const std::string started = "create setting 2 setting 1 load F:\\Program\\quorvel\\Default.skf apply setting 0 "
                                "Wait, Ann. 8 main ";
    struct Case { const char* settings; bool otherInstance, mainStays; std::string message, calls; };
    const Case cases[] = {
        {nullptr, false, true, "", started},
        {nullptr, false, false, "", started + "main "},   // a main window whose load unloaded it comes again
        {"Language=0409\r\nCharset=0", false, true, "", "Wait, Ann. 8 main "},   // kept as it is, with no skin named
        {nullptr, true, true, kMsgAlreadyRunning, ""},   // a second instance touches nothing
        {"Language=\r\nCharset=", false, true, kMsgNoLanguageId, ""},   // the language first,
        {"Language=0804\r\nCharset=", false, true, kMsgNoLanguageFile, ""},   // its library before the charset
        {"Language=0409\r\nCharset=", false, true, kMsgNoCharset, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message + (c.mainStays ? "" : " main unloaded"));
        StartupWorld w;
        w.mainStays = c.mainStays;
        w.system.otherInstance = c.otherInstance;
        w.fs.put(w.path("OwnerLock.ini"), "[OwnerInfo]\r\nName=Ann\r\n");
        w.desktop.windows[{"TaskManagerWindow", "Windows Task Manager"}] = 77;
        if (c.settings) w.fs.put(w.path("setting.ini"), std::string("[Setting]\r\n") + c.settings + "\r\n");
        const bool shown = c.message.empty() && c.mainStays;
        EXPECT_EQ(RunMain(w.ctx, w), shown ? StartupResult::MainWindowShown : StartupResult::Ended);
        std::string calls;
        for (const std::string& call : w.calls) calls += call + " ";
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(w.messages.boxes(),
                  c.message.empty() ? Log{} : Log{FakeMessageBoxes::box("Error", c.message, MbOk | MbIconCritical)});
        EXPECT_EQ(w.desktop.closed, c.otherInstance ? std::vector<WindowHandle>{} : std::vector<WindowHandle>{77});
        if (!c.message.empty()) {
            EXPECT_EQ(w.fs.has(w.path("setting.ini")), c.settings != nullptr);
            EXPECT_EQ(w.ctx.strings().languageHandle(), 0u);   // no library loaded on a failure
            continue;
        }
        const std::string ini = "[Setting]\r\nLanguage=0409\r\nCharset=0\r\n";
        EXPECT_EQ(w.fs.get(w.path("setting.ini")), c.settings ? ini : ini + "\r\n[Skin]\r\nSkinFile = Default.skf\r\n");
        EXPECT_EQ(w.ctx.globals().programFolder + " " + w.ctx.globals().exeName, "F:\\Program\\quorvel quorvel");
        EXPECT_TRUE(w.fs.has(kLangCopy) && w.fs.has(kLicCopy));
        EXPECT_EQ(w.ctx.lang(302) + w.ctx.lic(103) + w.ctx.lang(999), "Main&Help");   // a missing id: empty
        w.ctx.strings().freeLicLibrary();
        w.ctx.strings().freeLanguageLibrary();
        EXPECT_FALSE(w.fs.has(kLangCopy) || w.fs.has(kLicCopy));
        EXPECT_EQ(w.ctx.lang(302), "");
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
