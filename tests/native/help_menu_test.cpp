#include <gtest/gtest.h>

#include "fakes.h"
#include "help/about_form.h"
#include "help/help_documents.h"

using namespace qv;
using namespace qv::test;

namespace {

constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

struct HelpWorld : FakeWorld {
    explicit HelpWorld(const std::string& language = "0409") {
        ctx.globals().languageId = language;
        loadStrings({{300, "Notice"}, {301, "Failure"}},
                    {{303, "About %S"}, {515, "No address"}, {527, "Document missing"}});
    }
    void setReg(const char* key, const char* name, const std::string& data) {
        registry.values[FakeRegistry::path(RegRoot::LocalMachine, key, name)] = {1, data};
    }
};

}  // namespace

TEST(HelpDocuments, OpensTheDocumentOfTheLanguageEvenWhenHiddenWithNoFallback) {
    HelpWorld w, c("0804");
    w.fs.put(w.path("feature_0409.pdf"), "%PDF", AttrHidden | AttrArchive | AttrReadOnly);
    w.fs.put(w.path("what_0409.pdf"), "%PDF");
    mnuHelpComparison(w.ctx);
    mnuHelpWhat(w.ctx);
    EXPECT_EQ(w.shell.opened, (std::vector<std::string>{w.path("feature_0409.pdf"), w.path("what_0409.pdf")}));
    EXPECT_TRUE(w.messages.shown.empty());

    c.fs.put(c.path("feature_0409.pdf"), "%PDF");
    c.fs.mkdir(c.path("what_0804.pdf"));   // a folder of that name is no document
    mnuHelpComparison(c.ctx);
    mnuHelpWhat(c.ctx);
    const std::string missing = FakeMessageBoxes::box("Notice", "Document missing", MbIconExclamation);
    EXPECT_EQ(c.messages.boxes(), std::vector<std::string>(2, missing));
    EXPECT_TRUE(c.shell.opened.empty());
    EXPECT_FALSE(w.desktop.busy || c.desktop.busy);
}

TEST(HelpDocuments, ViewerFailureReportsTheErrorDescription) {
    for (auto [result, fails] : {std::pair<std::intptr_t, bool>{0, true}, {2, true}, {32, true}, {33, false}}) {
        HelpWorld w;
        w.fs.put(w.path("what_0409.pdf"), "%PDF");
        w.shell.openResult = result;
        w.shell.errorDescription = "No viewer";
        mnuHelpWhat(w.ctx);
        EXPECT_EQ(w.messages.shown.size(), fails ? 1u : 0u) << result;
        if (fails) w.messages.expectOnly("Error: No viewer", "Failure", MbIconCritical);
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

TEST(AboutBox, NamesTheProgramAndItsVersion) {
    HelpWorld w;
    w.forms.scripts["frmAbout"] = [&](Form& about) {
        EXPECT_EQ(w.forms.viewOf(about).caption(""), "About Quorvel Lite");
        EXPECT_EQ(w.forms.viewOf(about).caption("lblVersion"), "Version 1.0.3");
        EXPECT_EQ(w.forms.viewOf(about).c("lblDisclaimer").fontSize, 8);   // the language's font rule
    };
    mnuHelpAbout(w.ctx);
    EXPECT_EQ(w.forms.shown, std::vector<std::string>{"frmAbout modal"});
}

TEST(AboutBox, RegistryValueText) {
    const std::tuple<std::uint32_t, std::string, std::string> cases[] = {
        {1, std::string("C:\\msinfo32.exe\0", 16), "C:\\msinfo32.exe"}, {1, "no terminator", "no terminator"},
        {1, std::string("a\0\0", 3), std::string("a\0", 2)},   // only one zero is dropped
        {1, "", ""}, {4, std::string("\x78\x56\x34\x12", 4), "&h12345678"},
        {4, std::string("\x05\0\0\0", 4), "&h000005"}, {4, std::string("\x02\x01\0\0", 4), "&h000102"},
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
    // Started by its full path, quoted: unquoted, "C:\Program.exe" would run first.
    const std::string quoted1 = '"' + place1 + '"', quoted2 = '"' + place2 + '"';
    struct Case {
        const char* what;
        std::string place1;
        bool place2, toolExists, runWorks;
        std::string ran;
    } cases[] = {
        {"place 1", place1, true, true, true, quoted1},
        {"place 1 already quoted", quoted1, true, true, true, quoted1},
        {"place 1 not a full path", "msinfo32.exe", true, true, true, ""},   // "": nothing started
        {"place 1 names a missing file", place1, true, true, false, quoted1},
        {"place 2", "", true, true, true, quoted2},
        {"place 2 without the tool", "", true, false, true, ""},
        {"place 2, tool will not start", "", true, true, false, quoted2},
        {"neither", "", false, true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HelpWorld w;
        if (!c.place1.empty()) w.setReg(kSysInfoKey, "PATH", c.place1 + '\0');
        if (c.place2) w.setReg("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", folder);
        if (c.toolExists) w.fs.put(place2, "MZ", AttrHidden);
        w.shell.runResult = c.runWorks;
        StartSysInfo(w.ctx);
        EXPECT_EQ(w.shell.ran, c.ran.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.ran});
        const bool works = !c.ran.empty() && c.runWorks;
        EXPECT_EQ(w.messages.shown.size(), works ? 0u : 1u);
        if (!works) w.messages.expectOnly("System Information Is Unavailable At This Time", kAppTitle, MbOk);
    }
}
