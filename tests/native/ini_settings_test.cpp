#include <gtest/gtest.h>

#include "app/ini_file.h"
#include "fakes.h"

using namespace qv;
using namespace qv::test;

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
    FakeFileSystem fs;
    EXPECT_EQ(ReadIni(fs, "Setting", "Language", "d", "F:\\missing.ini"), "d");
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
    fs.put(f, "[a]\r\nx=1\r\n");
    fs.readOnly = true;
    EXPECT_FALSE(WriteIni(fs, "a", "x", "2", f));
    fs.readOnly = false;
    fs.mkdir("F:\\dir.ini");   // there but unreadable: left alone
    EXPECT_FALSE(WriteIni(fs, "a", "x", "2", "F:\\dir.ini"));
    EXPECT_FALSE(fs.has("F:\\dir.ini"));
}
