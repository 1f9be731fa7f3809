#include <gtest/gtest.h>

#include "fakes.h"
#include "help/about_form.h"
#include "help/help_documents.h"
#include "help/program_version.h"

using namespace qv;
using namespace qv::test;

namespace {

constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kSysInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

struct HelpWorld : FakeWorld {
    explicit HelpWorld(const std::string& language = "0409") {
        ctx.globals().languageId = language;
        loadStrings({{300, "Notice"}, {301, "Failure"}},
                    {{100, "OK"}, {112, "System Info..."}, {303, "About %S"}, {500, "No warranty"},
                     {515, "No address"}, {527, "Document missing"}});
    }
    void setReg(const char* key, const char* name, std::uint32_t type, const std::string& data) {
        registry.values[FakeRegistry::path(RegRoot::LocalMachine, key, name)] = {type, data};
    }
    void expectOnlyMessage(const std::string& text, const std::string& title, unsigned flags) {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.last().text, text);
        EXPECT_EQ(messages.last().title, title);
        EXPECT_EQ(messages.last().flags, flags);
    }
};

}  // namespace

TEST(HelpDocuments, OpensTheDocumentOfTheLanguageEvenWhenHidden) {
    HelpWorld w;
    w.fs.put(w.path("feature_0409.pdf"), "%PDF", AttrHidden | AttrArchive | AttrReadOnly);
    w.fs.put(w.path("what_0409.pdf"), "%PDF");
    mnuHelpComparison(w.ctx);
    mnuHelpWhat(w.ctx);
    EXPECT_EQ(w.shell.opened,
              (std::vector<std::string>{w.path("feature_0409.pdf"), w.path("what_0409.pdf")}));
    EXPECT_EQ(w.desktop.slept, 2000u);
    EXPECT_TRUE(w.messages.shown.empty());
    EXPECT_FALSE(w.desktop.busy);
}

TEST(HelpDocuments, MissingDocumentHasNoFallbackLanguage) {
    HelpWorld w("0804");
    w.fs.put(w.path("feature_0409.pdf"), "%PDF");
    w.fs.mkdir(w.path("what_0804.pdf"));   // a folder of that name is no document
    mnuHelpComparison(w.ctx);
    w.expectOnlyMessage("Document missing", "Notice", MbIconExclamation);
    mnuHelpWhat(w.ctx);
    EXPECT_EQ(w.messages.shown.size(), 2u);
    EXPECT_TRUE(w.shell.opened.empty());
    EXPECT_FALSE(w.desktop.busy);
}

TEST(HelpDocuments, ViewerFailureReportsTheErrorDescription) {
    for (auto [result, fails] : {std::pair<std::intptr_t, bool>{0, true}, {2, true}, {32, true}, {33, false}}) {
        SCOPED_TRACE(result);
        HelpWorld w;
        w.fs.put(w.path("what_0409.pdf"), "%PDF");
        w.shell.openResult = result;
        w.shell.errorDescription = "No viewer";
        mnuHelpWhat(w.ctx);
        if (fails) w.expectOnlyMessage("Error: No viewer", "Failure", MbIconCritical);
        else EXPECT_TRUE(w.messages.shown.empty());
        EXPECT_EQ(w.desktop.slept, 1000u);
    }
}

TEST(HelpDocuments, SupportPageOrRefusalWhenItIsEmpty) {
    HelpWorld w;
    mnuHelpOnline(w.ctx);
    EXPECT_EQ(w.shell.opened, std::vector<std::string>{"http://www.example.test/support/"});
    w.programStrings.texts[1000] = "   ";
    mnuHelpOnline(w.ctx);
    EXPECT_EQ(w.shell.opened.size(), 1u);
    w.expectOnlyMessage("No address", "Notice", MbIconExclamation);
    EXPECT_FALSE(w.desktop.busy);
}

TEST(AboutBox, TextsAndFonts) {
    for (auto [language, size] : {std::pair{"0409", 8}, {"0804", 9}}) {
        SCOPED_TRACE(language);
        HelpWorld w(language);
        w.ctx.globals().charsetSetting = "134";
        AboutForm about(w.ctx);
        w.forms.scripts["frmAbout"] = [&](Form&) {
            FakeView& v = w.forms.viewOf(about);
            EXPECT_EQ(v.caption(""), "About Quorvel Lite");
            EXPECT_EQ(v.caption("lblTitle"), kAppTitle);
            EXPECT_EQ(v.caption("lblVersion"), "Version " + VersionText());
            EXPECT_EQ(v.caption("lblDisclaimer"), "No warranty");
            EXPECT_EQ(v.caption("cmdOK"), "OK");
            EXPECT_EQ(v.caption("cmdSysInfo"), "System Info...");
            for (const char* control : {"lblVersion", "lblDisclaimer", "cmdOK", "cmdSysInfo"}) {
                EXPECT_EQ(v.controls[control].fontSize, size) << control;
                EXPECT_EQ(v.controls[control].charset, 134) << control;
            }
            about.click("cmdOK");
            EXPECT_FALSE(v.isOpen());
        };
        w.forms.showModal(about);
        EXPECT_EQ(w.forms.shown, std::vector<std::string>{"frmAbout modal"});
    }
}

TEST(AboutBox, RegistryValueText) {
    struct Case {
        std::uint32_t type;
        std::string data;
        std::string text;
    };
    const Case cases[] = {
        {1, std::string("C:\\Tools\\msinfo32.exe\0", 22), "C:\\Tools\\msinfo32.exe"},
        {1, "no terminator", "no terminator"},
        {1, std::string("a\0\0", 3), std::string("a\0", 2)},   // only one zero is dropped
        {1, "", ""},
        {4, std::string("\x78\x56\x34\x12", 4), "&h12345678"},
        {4, std::string("\x05\0\0\0", 4), "&h000005"},
        {4, std::string("\x02\x01\0\0", 4), "&h000102"},
        {4, std::string("\xff\x0a\x00\x80", 4), "&h80000AFF"},
        {2, "%SystemRoot%\\x.exe", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(RegValueText({c.type, c.data}), c.text);
    }
}

TEST(AboutBox, GetKeyValueFailsForMissingOrOversizedValues) {
    HelpWorld w;
    std::string value = "stale";
    EXPECT_FALSE(GetKeyValue(w.registry, RegRoot::LocalMachine, kSysInfoKey, "PATH", value));
    EXPECT_EQ(value, "");
    w.setReg(kSysInfoKey, "PATH", 1, std::string(1025, 'x'));
    EXPECT_FALSE(GetKeyValue(w.registry, RegRoot::LocalMachine, kSysInfoKey, "PATH", value));
    w.setReg(kSysInfoKey, "PATH", 1, std::string(1023, 'x') + '\0');
    EXPECT_TRUE(GetKeyValue(w.registry, RegRoot::LocalMachine, kSysInfoKey, "PATH", value));
    EXPECT_EQ(value, std::string(1023, 'x'));
}

TEST(AboutBox, SystemInformationFromEitherPlaceOrUnavailable) {
    const std::string folder = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo";
    const std::string place1 = "C:\\msinfo\\msinfo32.exe";
    const std::string place2 = folder + "\\MSINFO32.EXE";
    struct Case {
        const char* what;
        bool place1, place2, toolExists, runWorks;
        std::string ran;     // what was started, empty when nothing was
        bool unavailable;
    };
    const Case cases[] = {
        {"place 1", true, true, true, true, place1, false},
        {"place 1 names a missing file", true, true, true, false, place1, true},
        {"place 2", false, true, true, true, place2, false},
        {"place 2 without the tool", false, true, false, true, "", true},
        {"place 2, tool will not start", false, true, true, false, place2, true},
        {"neither", false, false, true, true, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HelpWorld w;
        if (c.place1) w.setReg(kSysInfoKey, "PATH", 1, place1 + '\0');
        if (c.place2) w.setReg(kSysInfoFolderKey, "MSINFO", 1, folder);
        if (c.toolExists) w.fs.put(place2, "MZ", AttrHidden);
        w.shell.runResult = c.runWorks;
        StartSysInfo(w.ctx);
        EXPECT_EQ(w.shell.ran, c.ran.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.ran});
        if (c.unavailable) w.expectOnlyMessage("System Information Is Unavailable At This Time", kAppTitle, MbOk);
        else EXPECT_TRUE(w.messages.shown.empty());
    }
}

TEST(AboutBox, SysInfoButtonStartsTheTool) {
    HelpWorld w;
    w.setReg(kSysInfoKey, "PATH", 1, "C:\\msinfo32.exe");
    w.forms.scripts["frmAbout"] = [](Form& about) { about.click("cmdSysInfo"); };
    mnuHelpAbout(w.ctx);
    EXPECT_EQ(w.shell.ran, std::vector<std::string>{"C:\\msinfo32.exe"});
}
