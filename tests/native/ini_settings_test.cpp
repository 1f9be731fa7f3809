#include <gtest/gtest.h>

#include "app/ini_file.h"
#include "app/os_version.h"
#include "app/settings.h"
#include "fakes.h"

using namespace qv;
using namespace qv::test;

TEST(IniFile, ReadsWhatThePlatformReaderWould) {
    FakeFileSystem fs;
    const std::string f = "F:\\a.ini";
    fs.put(f, "Skin=outside\r\n[Setting]\r\nLanguage = 0804 \r\n; comment=1\r\nq=\"a b\"\r\ns='c'\r\nh=d\"\r\n"
              "[Skin]\r\nSkinFile = Default.skf\r\n"
              "[long]\r\nv255=" + std::string(255, 'x') + "\r\nv300=" + std::string(300, 'y') + "\r\n");
    EXPECT_EQ(ReadIni(fs, "setting", "LANGUAGE", "", f), "0804");   // names match without case
    EXPECT_EQ(ReadIni(fs, "Skin", "SkinFile", "", f), "Default.skf");
    EXPECT_EQ(ReadIni(fs, "Skin", "Missing", "dflt", f), "dflt");
    EXPECT_EQ(ReadIni(fs, "Nope", "SkinFile", "d", f), "d");
    EXPECT_EQ(ReadIni(fs, "Setting", "comment", "d", f), "d");        // a comment is no key
    EXPECT_EQ(ReadIni(fs, "Setting", "Skin", "d", f), "d");           // a key before any section is in none
    for (auto [key, value] : {std::pair{"q", "a b"}, {"s", "c"}, {"h", "d\""}})   // quotes around a value go
        EXPECT_EQ(ReadIni(fs, "Setting", key, "", f), value) << key;
    EXPECT_EQ(ReadIni(fs, "long", "v255", "", f), std::string(255, 'x'));
    EXPECT_EQ(ReadIni(fs, "long", "v300", "", f), std::string(300, 'y'));
    EXPECT_EQ(ReadIni(fs, "Setting", "Language", "d", "F:\\missing.ini"), "d");
}

TEST(IniFile, NotepadEncodingsReadLikeAnsi) {
    const std::string ansi = "[Setting]\r\nLanguage=0404\r\nCharset=136\r\n";
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (char c : ansi) {
        le += std::string{c, '\0'};
        be += std::string{'\0', c};
    }
    for (const std::string& data : {ansi, "\xEF\xBB\xBF" + ansi, le, be}) {
        FakeFileSystem fs;
        fs.put("F:\\s.ini", data);
        const std::string f = "F:\\s.ini";
        EXPECT_EQ(ReadIni(fs, "Setting", "Language", "", f) + "|" + ReadIni(fs, "Setting", "Charset", "", f), "0404|136");
    }
    // Written back, a marked file keeps a mark: its text may begin like another one.
    FakeFileSystem fs;
    fs.put("F:\\s.ini", "\xEF\xBB\xBF\xFE\xFF;\r\n");
    ASSERT_TRUE(WriteIni(fs, "Setting", "Language", "0804", "F:\\s.ini"));
    EXPECT_EQ(ReadIni(fs, "Setting", "Language", "", "F:\\s.ini"), "0804");
}

TEST(IniFile, WritesReplaceInPlaceAppendToTheSectionOrAddOne) {
    const std::string f = "F:\\p.ini";
    struct Case { const char *before, *section, *key, *after; };
    const Case cases[] = {
        {nullptr, "PassCnt", "PassCnt", "[PassCnt]\r\nPassCnt=v\r\n"},   // nullptr: no file yet
        {"[PassCnt]\r\nPassCnt=1\r\n", "Pass1", "PassSerial", "[PassCnt]\r\nPassCnt=1\r\n\r\n[Pass1]\r\nPassSerial=v\r\n"},
        {"[a]\r\nx=1\r\n\r\n\r\n", "b", "y", "[a]\r\nx=1\r\n\r\n[b]\r\ny=v\r\n"},   // one blank line between
        {"[A]\r\nK = 1\r\n; K=2\r\n", "a", "k", "[A]\r\nk=v\r\n; K=2\r\n"},
        {"[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", "a", "z", "[a]\r\nx=1\r\nz=v\r\n\r\n[b]\r\ny=2\r\n"},
        {"[a]\r\n[b]\r\nz=2\r\n", "a", "z", "[a]\r\nz=v\r\n[b]\r\nz=2\r\n"},   // not the next section's key
        // Only the first of two sections of a name, and never a key before any section.
        {"x=0\r\n[a]\r\ny=1\r\n[a]\r\nx=2\r\n", "a", "x", "x=0\r\n[a]\r\ny=1\r\nx=v\r\n[a]\r\nx=2\r\n"},
    };
    for (const Case& c : cases) {
        FakeFileSystem fs;
        if (c.before) fs.put(f, c.before);
        EXPECT_TRUE(WriteIni(fs, c.section, c.key, "v", f));
        EXPECT_EQ(fs.get(f), c.after) << (c.before ? c.before : "no file");
    }
    FakeFileSystem fs;
    fs.put(f, "[a]\r\nx=1\r\n");
    fs.readOnly = true;
    EXPECT_FALSE(WriteIni(fs, "a", "x", "2", f));
    fs.readOnly = false;
    fs.mkdir("F:\\dir.ini");   // there but unreadable: left alone
    EXPECT_FALSE(WriteIni(fs, "a", "x", "2", "F:\\dir.ini"));
    EXPECT_FALSE(fs.has("F:\\dir.ini"));
}

TEST(Settings, DefaultsAndReaders) {
    FakeWorld w;
    EXPECT_TRUE(CreateDefaultSettings(w.ctx));
    EXPECT_EQ(w.fs.get(w.path("setting.ini")),
              "[Setting]\r\nLanguage=0409\r\nCharset=0\r\n\r\n[Skin]\r\nSkinFile = Default.skf\r\n");
    EXPECT_EQ(GetLanguageId(w.ctx), "0409");
    EXPECT_EQ(ReadIni(w.fs, "Skin", "SkinFile", "", w.path("Setting.ini")), "Default.skf");

    w.fs.put(w.path("setting.ini"), "[Setting]\r\nLanguage=0804\r\n");   // only the section and the language
    EXPECT_TRUE(CreateDefaultSettings(w.ctx));                           // an existing file is kept
    EXPECT_EQ(GetLanguageId(w.ctx), "0804");
    EXPECT_EQ(GetCharset(w.ctx), "0");

    FakeWorld readOnly;
    readOnly.fs.readOnly = true;
    EXPECT_FALSE(CreateDefaultSettings(readOnly.ctx));
    EXPECT_EQ(GetLanguageId(readOnly.ctx), "");
}

TEST(OsVersion, CodesFromTheVersionTable) {
    const std::pair<OsVersionInfo, int> cases[] = {
        {{3, 51, 2}, 5}, {{3, 10, 1}, 6}, {{4, 0, 2}, 1}, {{4, 0, 1}, 2}, {{4, 10, 1}, 3}, {{4, 90, 1}, 4},
        {{4, 3, 1}, 0}, {{5, 0, 2}, 0}, {{5, 1, 2}, -1}, {{5, 2, 2}, -1}, {{6, 1, 2}, 7}, {{10, 0, 2}, 7}};
    for (auto& [version, code] : cases) {
        FakeSystemInfo system;
        system.os = version;
        OsVersionRecord record;   // a code the table leaves unchanged stays 0
        EXPECT_TRUE(GetOSVersion(system, record));
        EXPECT_EQ(record.osCode, code) << version.major << "." << version.minor << " platform " << version.platformId;
    }
}
