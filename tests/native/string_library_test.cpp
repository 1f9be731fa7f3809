#include <gtest/gtest.h>

#include "fakes.h"

using namespace qv;
using namespace qv::test;

TEST(StringLibraries, LoadFromACopyFetchByNumberAndFreeingDeletesTheCopy) {
    FakeWorld w;
    w.loadStrings({{302, "Quorvel Lite"}, {500, std::string(400, 'x')}}, {{103, "&Help"}});
    EXPECT_TRUE(w.fs.has("C:\\Vantrel\\temp\\qv_langfile0409.dll"));
    EXPECT_TRUE(w.fs.has("C:\\Vantrel\\temp\\qvlic_0409.dll"));
    EXPECT_EQ(w.ctx.lang(302), "Quorvel Lite");
    EXPECT_EQ(w.ctx.lic(103), "&Help");
    EXPECT_EQ(w.ctx.lang(500), std::string(382, 'x'));   // cut at 382 bytes
    EXPECT_EQ(w.ctx.lang(999), "");                       // missing id: empty, not spaces
    w.ctx.strings().freeLicLibrary();
    w.ctx.strings().freeLanguageLibrary();
    EXPECT_FALSE(w.fs.has("C:\\Vantrel\\temp\\qv_langfile0409.dll") || w.fs.has("C:\\Vantrel\\temp\\qvlic_0409.dll"));
    EXPECT_EQ(w.ctx.lang(302), "");
}

TEST(StringLibraries, MissingSecondLibraryGivesEmptyTextsWithoutStopping) {
    FakeWorld w;
    w.fs.put(w.path("langfile0409.dll"), FakeStringLoader::table({{302, "Main"}}));
    w.ctx.strings().loadLicLibrary();
    w.ctx.strings().loadLanguageLibrary();
    EXPECT_EQ(w.ctx.strings().licHandle(), 0u);
    EXPECT_EQ(w.ctx.lic(103), "");
    EXPECT_EQ(w.ctx.lang(302), "Main");
}

TEST(StringLibraries, StaleCopyThatCannotBeReplacedIsNeverLoaded) {
    FakeWorld w;
    w.fs.put("C:\\Vantrel\\temp\\qv_langfile0409.dll", FakeStringLoader::table({{302, "old"}}));
    w.fs.put("C:\\Vantrel\\temp\\qvlic_0409.dll", FakeStringLoader::table({{103, "old lic"}}));
    w.fs.failRemoves = {"C:\\Vantrel\\temp\\qv_langfile0409.dll", "C:\\Vantrel\\temp\\qvlic_0409.dll"};
    w.fs.failWrites = {"C:\\Vantrel\\temp\\qvlic_0409.dll"};
    w.loadStrings({{302, "new"}}, {{103, "new lic"}});
    EXPECT_EQ(w.ctx.strings().languageHandle(), 0u);
    EXPECT_EQ(w.ctx.lang(302), "");
    EXPECT_EQ(w.ctx.strings().licHandle(), 0u);
    EXPECT_EQ(w.ctx.lic(103), "");
}

TEST(TextHelpers, PlaceholdersFontRuleAndDigits) {
    EXPECT_EQ(ReplaceNoCase("Hi %USERNAME, %username!", "%username", "Ann"), "Hi Ann, Ann!");
    EXPECT_EQ(ReplaceNoCase("About %S and %s", "%s", "Quorvel Lite"), "About Quorvel Lite and Quorvel Lite");
    for (auto [text, digits] : {std::pair{"", true}, {" 3 ", true}, {"1 2", false}, {"-1", false}})
        EXPECT_EQ(IsAllDigits(text), digits) << text;
    FakeWorld w;
    FakeView v;
    for (auto [lang, size] : {std::pair{"0804", 9}, {"0404", 9}, {"0409", 8}, {"0411", 8}}) {
        w.ctx.globals().languageId = lang;
        w.ctx.globals().charsetSetting = "134";
        w.ctx.applyFontRule(v, {"cmdOk"});
        EXPECT_EQ(v.controls["cmdOk"].fontSize, size) << lang;
        EXPECT_EQ(v.controls["cmdOk"].charset, 134);
    }
}
