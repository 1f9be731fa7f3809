#include <gtest/gtest.h>

#include <algorithm>

#include "app/ini_file.h"
#include "app/main_form.h"
#include "app/progress_form.h"
#include "app/record_encoding.h"
#include "app/startup.h"
#include "fakes.h"

using namespace qv;
using namespace qv::test;

namespace {

const std::string kLangCopy = "C:\\Vantrel\\temp\\qv_langfile0409.dll", kLicCopy = "C:\\Vantrel\\temp\\qvlic_0409.dll";

// The windows of the start, shown as the Windows layer does, and the XP skin: all in `calls`.
struct StartupWorld : FakeWorld, StartupWindows, SkinComponent {
    std::string calls;
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
        calls += v.caption("lbcaption") + " " + std::to_string(v.c("lbcaption").fontSize) + " ";
    }
    bool showMain() override {
        calls += "main ";
        return mainStays;
    }
    void create() override { calls += "create "; }
    void setting(int v) override { calls += "setting " + std::to_string(v) + " "; }
    void loadSkin(const std::string& p) override { calls += "load " + p + " "; }
    void apply() override { calls += "apply "; }
};

const std::string kKey = "09511642QV0001KEY", kBoxes(4168, 'b');
using Devices = std::vector<std::vector<std::string>>;

struct MainWorld : FakeWorld {
    MainForm form{ctx};
    MainWorld() {
        loadStrings({{517, "Welcome, %username."}, {510, "Sure?"}, {303, "Quit"}}, {{104, "&What is %S?"}});
        ctx.globals().ownerName = "Ann";
        ctx.globals().charsetSetting = "129";
        shell.startup = "C:\\Users\\ann\\Start Menu\\Programs\\Startup";
        programStrings.boxes = kBoxes;
    }
    FakeView& view() { return forms.viewOf(form); }
    void load() { forms.showModeless(form); }   // the form is the main window from now on
};

}  // namespace

TEST(Startup, FreshStartOrTheFirstProblemsMessage) {
    const std::string skinned = "create setting 2 setting 1 load F:\\Program\\quorvel\\Default.skf apply setting 0 ";
    const std::string started = skinned + "Wait, Ann. 8 main ";
    struct Case { const char* settings; bool otherInstance, mainStays; std::string message, calls; bool old{}; };
    const Case cases[] = {
        {nullptr, false, true, "", started},
        {nullptr, false, false, "", started + "main "},   // a main window whose load unloaded it comes again
        {"Language=0409\r\nCharset=0", false, true, "", "Wait, Ann. 8 main "},   // kept as it is, with no skin named
        {nullptr, true, true, kMsgAlreadyRunning, ""},   // a second instance touches nothing
        {"Language=\r\nCharset=", false, true, kMsgNoLanguageId, ""},   // the language first,
        {"Language=0804\r\nCharset=", false, true, kMsgNoLanguageFile, ""},   // its library before the charset
        {"Language=0409\r\nCharset=", false, true, kMsgNoCharset, ""},
        {nullptr, false, true, "", skinned + " 8 main ", true},   // an old copy that cannot be replaced: never loaded
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message + (c.mainStays ? "" : " main unloaded"));
        StartupWorld w;
        w.mainStays = c.mainStays;
        w.system.otherInstance = c.otherInstance;
        w.fs.put(w.path("OwnerLock.ini"), "[OwnerInfo]\r\nName=Ann\r\n");
        w.desktop.windows[{"TaskManagerWindow", "Windows Task Manager"}] = 77;
        if (c.settings) w.fs.put(w.path("setting.ini"), std::string("[Setting]\r\n") + c.settings + "\r\n");
        if (c.old) {
            w.fs.put(kLangCopy, FakeStringLoader::table({{302, "old"}}));
            w.fs.put(kLicCopy, FakeStringLoader::table({{103, "old"}}));
            w.fs.failRemoves = {kLangCopy, kLicCopy};
            w.fs.failWrites = {kLicCopy};
        }
        const bool shown = c.message.empty() && c.mainStays;
        EXPECT_EQ(RunMain(w.ctx, w), shown ? StartupResult::MainWindowShown : StartupResult::Ended);
        EXPECT_EQ(w.calls, c.calls);
        EXPECT_EQ(w.messages.boxes(),
                  c.message.empty() ? Log{} : Log{FakeMessageBoxes::box("Error", c.message, MbOk | MbIconCritical)});
        EXPECT_EQ(w.desktop.closed, c.otherInstance ? std::vector<WindowHandle>{} : std::vector<WindowHandle>{77});
        EXPECT_EQ(w.fs.has(w.path("setting.ini")), !c.otherInstance);
        if (!c.message.empty()) continue;
        const std::string ini = "[Setting]\r\nLanguage=0409\r\nCharset=0\r\n";
        EXPECT_EQ(w.fs.get(w.path("setting.ini")), c.settings ? ini : ini + "\r\n[Skin]\r\nSkinFile = Default.skf\r\n");
        EXPECT_EQ(w.ctx.globals().programFolder + " " + w.ctx.globals().exeName, "F:\\Program\\quorvel quorvel");
        EXPECT_TRUE(w.fs.has(kLangCopy) && w.fs.has(kLicCopy));
        // A missing id reads as empty.
        EXPECT_EQ(w.ctx.lang(302) + w.ctx.lic(103) + w.ctx.lang(999), c.old ? "" : "Main&Help");
    }
}

TEST(MainForm, LoadsInactiveRepairsTheBoxFileRemovesLeftoverPlainFilesArmsFromItsButtonAndClosesWithoutAsking) {
    // A whole box file, or a hidden one, is never rewritten; Windows 98 has no Task Manager to free.
    struct Case { std::string content; unsigned attributes; bool win98, rewritten; };
    const Case cases[] = {{"", 0, true, true},   // attributes 0: no file yet
                          {std::string(4168, 'x'), AttrReadOnly, false, true},
                          {kBoxes, AttrReadOnly, false, false}, {"mine", AttrHidden, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content.size());
        MainWorld w;
        const std::string boxFile = w.path("bf.dat");
        if (!c.content.empty()) w.fs.put(boxFile, c.content, c.attributes);
        w.fs.put(w.path("tmhr.ini"), "plain", AttrHidden | AttrReadOnly);
        if (c.win98) w.system.os = {4, 10, 1};
        w.load();
        FakeView& v = w.view();
        EXPECT_EQ(v.caption("mnuHelpWhat") + " " + v.caption("Label3"), "&What is Quorvel Lite? Welcome, Ann.");
        EXPECT_TRUE(v.isEnabled("cmdLock") && v.c("StatusBar").charset == 129);   // the charset of the settings
        EXPECT_FALSE(v.isEnabled("cmdUnlock") || v.isEnabled("mnuFileDeactivate") || v.timerEnabled("Timer1"));
        EXPECT_EQ(w.fs.get(boxFile), c.rewritten ? kBoxes : c.content);
        EXPECT_EQ(std::ranges::count(w.fs.log, "write " + boxFile), c.rewritten ? 1 : 0);
        EXPECT_FALSE(w.fs.has(w.path("tmhr.ini")));
        EXPECT_EQ(w.lockDown.calls, c.win98 ? Log{} : Log{"LockW2kTaskManager -1"});   // a crashed lock's ban lifted
        w.system.admin = false;
        w.form.click("cmdLock");   // arming begins by refusing a user who is no administrator
        w.form.setArmed(c.win98);   // inactive, or by the title bar even armed: no question
        w.view().setTimer("Timer1", true, 1000);   // polling for the key
        c.win98 ? w.form.closeRequested() : w.form.click("cmdCancel");
        EXPECT_FALSE(w.view().isOpen() || w.view().timerEnabled("Timer1")) << "no polling after the window has gone";
        EXPECT_EQ(w.messages.shown.size(), 1u);
    }
}

TEST(MainForm, ResumeDecisionsAtStartup) {
    const Devices key{{"0951", "1642", "QV0001KEY"}}, other{{"1111", "2222", "OTHER"}};
    struct Case { const char *name, *marker; std::string first, second; Devices devices; bool windowStays, locked; };
    const Case cases[] = {
        {"no record", nullptr, "", "", other, true, false},
        {"wrong marker", "SomethingElse", kKey, kKey, other, true, false},
        {"second copy not inside the first", "VantrelLockEnable", kKey, "09511642OTHER", other, true, false},
        {"an empty identity matches nothing", "VantrelLockEnable", "", "", other, true, false},
        {"key attached: the window unloads to come back inactive", "VantrelLockEnable", kKey, kKey, key, false, false},
        {"key absent: locked at once", "VantrelLockEnable", kKey, "1642QV", other, true, true},   // a part will do
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWorld w;
        const std::string shortcut = w.shell.startup + "\\SCQuorvel.lnk", ini = "[LVantrel]\r\nLVantrelA=";
        w.fs.put(shortcut, "link");
        if (c.marker) {
            w.fs.put(w.path("tplockts.ini"), ini + EncodeDigitText("F") + "\r\nLVantrelC=" + EncodeDigitText(c.marker));
            w.fs.put(w.path("tpserial1.dat"), EncodeDigitText(c.first) + "\r\n", AttrReadOnly);
            w.fs.put(w.path("tpserial2.dat"), EncodeOffsetText(c.second) + "\r\n", AttrHidden);
        }
        w.usbSerial.setDevices(c.devices);
        w.load();
        EXPECT_EQ(w.fs.has(shortcut), c.locked);   // what no lock needs goes
        // The record stays only while locked, moved from the program folder to the PC.
        for (const char* file : {"tplockts.ini", "tpserial1.dat", "tpserial2.dat"})
            EXPECT_TRUE(w.fs.has(w.record(file)) == c.locked && !w.fs.has(w.path(file))) << file;
        EXPECT_EQ(w.view().isOpen(), c.windowStays);
        EXPECT_EQ(w.lockScreen.calls, c.locked ? Log{"open"} : Log{});
        // A valid record arms before looking for the key; the next window's arming registers anew.
        const Log armed{"subclass", "register"}, handedOn{"subclass", "register", "unregister"};
        EXPECT_EQ(w.notifications.calls, c.locked ? armed : c.windowStays ? Log{} : handedOn);
        const Globals& g = w.ctx.globals();
        EXPECT_EQ((std::vector<bool>{g.lockNeeds.held, g.lockResumedAtStartup, w.view().isEnabled("cmdUnlock")}),
                  std::vector<bool>(3, c.locked));
        if (!c.locked) continue;
        EXPECT_EQ(g.lockUSBKeyId + g.lockDriveLetter + " " + std::to_string(g.deviceCountSeen), kKey + "F 1");
        w.messages.answers = {IdNo};
        w.form.click("mnuFileExit");   // armed: closing asks, and No keeps the window
        EXPECT_EQ(w.messages.boxes(), Log{FakeMessageBoxes::box("Quit", "Sure?", MbYesNo | MbIconExclamation)});
        EXPECT_TRUE(w.view().isOpen());
        w.usbSerial.setDevices(key);   // the key comes back: the next poll ends the lock
        w.form.timer("Timer1");
        EXPECT_FALSE(w.view().isOpen() || w.view().timerEnabled("Timer1"));
    }
}



TEST(IniFile, ReadsWhatThePlatformReaderWouldInEveryNotepadEncoding) {
    const std::string f = "F:\\a.ini";
    const std::string ansi = "Skin=outside\r\n[Setting]\r\nb=x]y\r\nLanguage = 0804 \r\n; comment=1\r\nq=\"a b\"\r\n"
                             "s='c'\r\nh=d\"\r\n[Skin]\r\nSkinFile = Default.skf\r\nv300=" + std::string(300, 'y');
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (char c : ansi) {
        le += std::string{c, '\0'};
        be += std::string{'\0', c};
    }
    // The second is ANSI whose second byte looks like the end of a mark.
    for (const std::string& data : {ansi, ";\xFF\r\n" + ansi, "\xEF\xBB\xBF" + ansi, le, be}) {
        FakeFileSystem fs;
        fs.put(f, data);
        EXPECT_EQ(ReadIni(fs, "setting", "LANGUAGE", "", f), "0804");   // names match without case
        EXPECT_EQ(ReadIni(fs, "Skin", "SkinFile", "", f) + ReadIni(fs, "Skin", "v300", "", f),
                  "Default.skf" + std::string(300, 'y'));
        const std::pair<const char*, const char*> values[] = {
            {"b", "x]y"}, {"; comment", "d"}, {"Skin", "d"},   // a comment or a key before any section is none
            {"q", "a b"}, {"s", "c"}, {"h", "d\""}, {"Missing", "d"}};   // quotes around a value go
        for (auto [key, value] : values) EXPECT_EQ(ReadIni(fs, "Setting", key, "d", f), value) << key;
    }
}

TEST(IniFile, WritesReplaceInPlaceAppendToTheSectionOrAddOne) {
    const std::string f = "F:\\p.ini";
    struct Case { const char *before, *section, *key, *after; };
    const Case cases[] = {
        {nullptr, "PassCnt", "PassCnt", "[PassCnt]\r\nPassCnt=v\r\n"},   // nullptr: no file yet
        {"[a]\r\nx=1\r\n\r\n\r\n", "b", "y", "[a]\r\nx=1\r\n\r\n[b]\r\ny=v\r\n"},   // one blank line between
        {"[A]\r\nK = 1\r\n; K=2\r\n", "a", "k", "[A]\r\nk=v\r\n; K=2\r\n"},
        {"[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", "a", "z", "[a]\r\nx=1\r\nz=v\r\n\r\n[b]\r\ny=2\r\n"},
        {"[a]\r\n[b]\r\nz=2\r\n", "a", "z", "[a]\r\nz=v\r\n[b]\r\nz=2\r\n"},   // not the next section's key
        // Only the first of two sections of a name, and never a key before any section.
        {"x=0\r\n[a]\r\ny=1\r\n[a]\r\nx=2\r\n", "a", "x", "x=0\r\n[a]\r\ny=1\r\nx=v\r\n[a]\r\nx=2\r\n"},
        // A marked file keeps a mark: its text may begin like another one.
        {"\xEF\xBB\xBF\xFE\xFF;\r\n", "b", "y", "\xEF\xBB\xBF\xFE\xFF;\r\n\r\n[b]\r\ny=v\r\n"},
    };
    for (const Case& c : cases) {
        FakeFileSystem fs;
        if (c.before) fs.put(f, c.before);
        EXPECT_TRUE(WriteIni(fs, c.section, c.key, "v", f));
        EXPECT_EQ(fs.get(f), c.after) << (c.before ? c.before : "no file");
    }
    FakeFileSystem fs;
    fs.put(f, "[a]\r\nx=1\r\n", AttrReadOnly);
    EXPECT_FALSE(WriteIni(fs, "a", "x", "2", f));
    EXPECT_EQ(ReadIni(fs, "Setting", "Language", "d", "F:\\missing.ini"), "d");   // a missing file: the default
}
