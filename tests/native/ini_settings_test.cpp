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
    fs.put(f, "[Setting]\r\nLanguage = 0804 \r\n; comment=1\r\n[Skin]\r\nSkinFile = Default.skf\r\n"
              "[long]\r\nv255=" + std::string(255, 'x') + "\r\nv300=" + std::string(300, 'y') + "\r\n");
    EXPECT_EQ(ReadIni(fs, "setting", "LANGUAGE", "", f), "0804");   // names match without case
    EXPECT_EQ(ReadIni(fs, "Skin", "SkinFile", "", f), "Default.skf");
    EXPECT_EQ(ReadIni(fs, "Skin", "Missing", "dflt", f), "dflt");
    EXPECT_EQ(ReadIni(fs, "Nope", "SkinFile", "d", f), "d");
    EXPECT_EQ(ReadIni(fs, "Setting", "comment", "d", f), "d");        // a comment is no key
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
}

TEST(IniFile, WritesCreateFileAndSectionAndReplaceInPlace) {
    FakeFileSystem fs;
    const std::string f = "F:\\p.ini";
    EXPECT_TRUE(WriteIni(fs, "PassCnt", "PassCnt", "1", f));
    EXPECT_TRUE(WriteIni(fs, "Pass1", "PassSerial", "0951", f));
    EXPECT_TRUE(WriteIni(fs, "passcnt", "PASSCNT", "2", f));
    EXPECT_TRUE(WriteIni(fs, "PassCnt", "Other", "x", f));
    EXPECT_EQ(fs.get(f), "[PassCnt]\r\nPASSCNT=2\r\nOther=x\r\n\r\n[Pass1]\r\nPassSerial=0951\r\n");
    EXPECT_EQ(ReadIni(fs, "Pass1", "PassSerial", "", f), "0951");
    fs.readOnly = true;
    EXPECT_FALSE(WriteIni(fs, "PassCnt", "PassCnt", "3", f));
    EXPECT_EQ(ReadIni(fs, "PassCnt", "PassCnt", "", f), "2");
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
