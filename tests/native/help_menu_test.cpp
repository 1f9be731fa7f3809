#include <gtest/gtest.h>

#include "fakes.h"
#include "help/about_form.h"
#include "help/help_documents.h"
#include "help/program_version.h"

using namespace qv;
using namespace qv::test;

namespace {

constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

struct HelpWorld : FakeWorld {
    explicit HelpWorld(const std::string& language = "0409") {
        ctx.globals().languageId = language;
        loadStrings({{300, "Notice"}, {301, "Failure"}},
                    {{100, "OK"}, {112, "System Info..."}, {303, "About %S"}, {500, "No warranty"},
                     {515, "No address"}, {527, "Document missing"}});
    }
    void setReg(const char* key, const char* name, const std::string& data) {
        registry.values[FakeRegistry::path(RegRoot::LocalMachine, key, name)] = {1, data};
    }
};

}  // namespace

TEST(HelpDocuments, OpensTheDocumentOfTheLanguageEvenWhenHiddenWithNoFallback) {
    HelpWorld w;
    w.fs.put(w.path("feature_0409.pdf"), "%PDF", AttrHidden | AttrArchive | AttrReadOnly);
    w.fs.put(w.path("what_0409.pdf"), "%PDF");
    mnuHelpComparison(w.ctx);
    mnuHelpWhat(w.ctx);
    EXPECT_EQ(w.shell.opened, (std::vector<std::string>{w.path("feature_0409.pdf"), w.path("what_0409.pdf")}));
    EXPECT_EQ(w.desktop.slept, 2000u);
    EXPECT_TRUE(w.messages.shown.empty());

    HelpWorld c("0804");
    c.fs.put(c.path("feature_0409.pdf"), "%PDF");
    c.fs.mkdir(c.path("what_0804.pdf"));   // a folder of that name is no document
    mnuHelpComparison(c.ctx);
    c.messages.expectOnly("Document missing", "Notice", MbIconExclamation);
    mnuHelpWhat(c.ctx);
    EXPECT_EQ(c.messages.shown.size(), 2u);
    EXPECT_TRUE(c.shell.opened.empty());
    EXPECT_FALSE(w.desktop.busy || c.desktop.busy);
}

TEST(HelpDocuments, ViewerFailureReportsTheErrorDescription) {
    for (auto [result, fails] : {std::pair<std::intptr_t, bool>{0, true}, {2, true}, {32, true}, {33, false}}) {
        SCOPED_TRACE(result);
        HelpWorld w;
        w.fs.put(w.path("what_0409.pdf"), "%PDF");
        w.shell.openResult = result;
        w.shell.errorDescription = "No viewer";
        mnuHelpWhat(w.ctx);
        if (fails) w.messages.expectOnly("Error: No viewer", "Failure", MbIconCritical);
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
    w.messages.expectOnly("No address", "Notice", MbIconExclamation);
    EXPECT_FALSE(w.desktop.busy);
}

TEST(AboutBox, TextsFontsAndTheSysInfoButton) {
    for (auto [language, size] : {std::pair{"0409", 8}, {"0804", 9}}) {
        SCOPED_TRACE(language);
        HelpWorld w(language);
        w.ctx.globals().charsetSetting = "134";
        w.setReg(kSysInfoKey, "PATH", "C:\\msinfo32.exe");
        w.forms.scripts["frmAbout"] = [&](Form& about) {
            FakeView& v = w.forms.viewOf(about);
            for (auto [control, caption] :
                 {std::pair<const char*, std::string>{"", "About Quorvel Lite"}, {"lblTitle", kAppTitle},
                  {"lblVersion", "Version " + VersionText()}, {"lblDisclaimer", "No warranty"}, {"cmdOK", "OK"},
                  {"cmdSysInfo", "System Info..."}})
                EXPECT_EQ(v.caption(control), caption) << control;
            for (const char* control : {"lblVersion", "lblDisclaimer", "cmdOK", "cmdSysInfo"}) {
                EXPECT_EQ(v.controls[control].fontSize, size) << control;
                EXPECT_EQ(v.controls[control].charset, 134) << control;
            }
            about.click("cmdSysInfo");
            about.click("cmdOK");
            EXPECT_FALSE(v.isOpen());
        };
        mnuHelpAbout(w.ctx);
        EXPECT_EQ(w.forms.shown, std::vector<std::string>{"frmAbout modal"});
        EXPECT_EQ(w.shell.ran, std::vector<std::string>{"C:\\msinfo32.exe"});
    }
}

TEST(AboutBox, RegistryValueText) {
    const std::tuple<std::uint32_t, std::string, std::string> cases[] = {
        {1, std::string("C:\\Tools\\msinfo32.exe\0", 22), "C:\\Tools\\msinfo32.exe"},
        {1, "no terminator", "no terminator"},
        {1, std::string("a\0\0", 3), std::string("a\0", 2)},   // only one zero is dropped
        {1, "", ""},
        {4, std::string("\x78\x56\x34\x12", 4), "&h12345678"},
        {4, std::string("\x05\0\0\0", 4), "&h000005"},
        {4, std::string("\x02\x01\0\0", 4), "&h000102"},
        {4, std::string("\xff\x0a\x00\x80", 4), "&h80000AFF"},
        {2, "%SystemRoot%\\x.exe", ""}};
    for (auto& [type, data, text] : cases) EXPECT_EQ(RegValueText({type, data}), text) << text;
}

TEST(AboutBox, GetKeyValueFailsForMissingOrOversizedValues) {
    HelpWorld w;
    std::string value = "stale";
    EXPECT_FALSE(GetKeyValue(w.registry, RegRoot::LocalMachine, kSysInfoKey, "PATH", value));
    EXPECT_EQ(value, "");
    w.setReg(kSysInfoKey, "PATH", std::string(1025, 'x'));
    EXPECT_FALSE(GetKeyValue(w.registry, RegRoot::LocalMachine, kSysInfoKey, "PATH", value));
    w.setReg(kSysInfoKey, "PATH", std::string(1023, 'x') + '\0');
    EXPECT_TRUE(GetKeyValue(w.registry, RegRoot::LocalMachine, kSysInfoKey, "PATH", value));
    EXPECT_EQ(value, std::string(1023, 'x'));
}

TEST(AboutBox, SystemInformationFromEitherPlaceOrUnavailable) {
    const std::string folder = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo";
    const std::string place1 = "C:\\msinfo\\msinfo32.exe", place2 = folder + "\\MSINFO32.EXE";
    struct Case {
        const char* what;
        bool place1, place2, toolExists, runWorks;
        std::string ran;   // what was started, empty when nothing was
    } cases[] = {
        {"place 1", true, true, true, true, place1},
        {"place 1 names a missing file", true, true, true, false, place1},
        {"place 2", false, true, true, true, place2},
        {"place 2 without the tool", false, true, false, true, ""},
        {"place 2, tool will not start", false, true, true, false, place2},
        {"neither", false, false, true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HelpWorld w;
        if (c.place1) w.setReg(kSysInfoKey, "PATH", place1 + '\0');
        if (c.place2) w.setReg("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", folder);
        if (c.toolExists) w.fs.put(place2, "MZ", AttrHidden);
        w.shell.runResult = c.runWorks;
        StartSysInfo(w.ctx);
        EXPECT_EQ(w.shell.ran, c.ran.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.ran});
        if (c.ran.empty() || !c.runWorks)
            w.messages.expectOnly("System Information Is Unavailable At This Time", kAppTitle, MbOk);
        else EXPECT_TRUE(w.messages.shown.empty());
    }
}
