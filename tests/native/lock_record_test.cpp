#include <algorithm>

#include <gtest/gtest.h>

#include "app/lock_record.h"
#include "app/record_encoding.h"
#include "fakes.h"

using namespace qv;
using namespace qv::test;

namespace {

const std::string kUser98 = "C:\\WINDOWS\\Start Menu\\Programs\\StartUp";
const std::string kAll98 = "C:\\WINDOWS\\All Users\\Start Menu\\Programs\\StartUp\\";
const std::string kUserXP = "C:\\Documents and Settings\\ann\\Start Menu\\Programs\\Startup";
const std::string kRunPath = std::to_string(0x80000002u) + "\\" + kRunKey + "\\" + kRunValueName;
const std::string kMarker = "[LVantrel]\r\nLVantrelA=269\r\nLVantrelC=" + EncodeDigitText("VantrelLockEnable") + "\r\n";
const std::string kKeyId = "0781557104B1D19A";
const char* const kFiles[] = {"tplockts.ini", "tpserial1.dat", "tpserial2.dat"};

struct RecordWorld : FakeWorld {
    RecordWorld(std::int16_t os, const std::string& startup) {
        ctx.globals().osCode = os;
        ctx.globals().lockDriveLetter = "E";
        ctx.globals().lockUSBKeyId = kKeyId;
        shell.startup = startup;
        fs.mkdir(startup);
        fs.put(path("SCQuorvel.lnk"), "LNK");
    }
};

}  // namespace

TEST(RecordEncoding, ExamplesRoundTripsAndDamagedText) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    EXPECT_EQ(EncodeDigitText(std::string("abc\0\xff", 5)), "297298299103255");   // each code's length, then it
    EXPECT_EQ(DecodeDigitText("297298299103255"), std::string("abc\0\xff", 5));
    EXPECT_EQ(DecodeDigitText(EncodeDigitText(all)), all);
    EXPECT_EQ(EncodeOffsetText("AB", 25), "12;54;52;");   // reversed "BA": 66-12, 65-13
    for (int k : {26, 99}) EXPECT_EQ(DecodeOffsetText(EncodeOffsetText(all, k)), all) << k;
    // Damaged text keeps what was decoded before the damage.
    for (auto& [damaged, expected] : {std::pair<std::string, std::string>{"x69", ""}, {"2695", "E"}, {"3256", ""},
                                      {"9999999999", ""}, {"2-1", ""}})
        EXPECT_EQ(DecodeDigitText(damaged), expected) << damaged;
    for (auto& [damaged, expected] : {std::pair<std::string, std::string>{"12", ""}, {"12;54;52", "B"}, {"12;;52;", ""},
                                      {"12;244;", ""}, {"12;-13;", ""}, {"12;9999999999;", ""}, {"-5;70;", "A"}})
        EXPECT_EQ(DecodeOffsetText(damaged), expected) << damaged;
}

TEST(LockRecord, OnXpTheRecordGoesOnThePcAndOnlyTheUserShortcutGoesWithIt) {
    RecordWorld w(-1, kUserXP);
    w.fs.put(w.record("tplockts.ini"), "[Old]\r\nx=1\r\n");   // stale file is replaced, not merged
    w.registry.values[kRunPath] = {1, "kept"};
    WriteLockIni(w.ctx);
    EXPECT_EQ(w.fs.get(w.record("tplockts.ini")), kMarker);
    const std::string serial1 = w.fs.get(w.record("tpserial1.dat")), serial2 = w.fs.get(w.record("tpserial2.dat"));
    EXPECT_EQ(DecodeDigitText(serial1) + " " + DecodeOffsetText(serial2), kKeyId + " " + kKeyId);

    w.fs.put(kUserXP + "\\SCQuorvel.lnk", "LNK", AttrHidden | AttrReadOnly);
    DelLockIni(w.ctx);
    for (const char* file : kFiles) EXPECT_FALSE(w.fs.has(w.path(file)) || w.fs.has(w.record(file))) << file;
    EXPECT_TRUE(!w.fs.has(kUserXP + "\\SCQuorvel.lnk") && w.registry.values[kRunPath].data == "kept");

    w.system.recordFolder.clear();   // no per-machine folder to be had: the program folder
    WriteLockIni(w.ctx);
    EXPECT_TRUE(w.fs.has(w.path("tpserial1.dat")));
}

TEST(LockRecord, OnWin98TheShortcutsAndRunValueComeAndGoWithTheRecordWhateverBecameOfEarlierSteps) {
    EXPECT_EQ(AllUsersStartupFolder(kUser98 + "\\") + AllUsersStartupFolder("C:\\A\\B"), kAll98);   // too short: none
    RecordWorld w(4, kUser98);
    w.fs.mkdir(kAll98, AttrDirectory | AttrHidden | AttrSystem | AttrReadOnly);
    const std::string shortcut = kUser98 + "\\SCQuorvel.lnk";
    w.fs.put(shortcut, "OLD", AttrHidden | AttrSystem);
    w.secureDelete.works = false;   // the plain delete follows
    w.fs.failWrites = {w.record("tplockts.ini"), w.record("tpserial1.dat")};
    WriteLockIni(w.ctx);   // a failed step stops none of the later ones
    EXPECT_TRUE(w.fs.has(w.record("tpserial2.dat")));
    EXPECT_EQ(w.secureDelete.calls, Log{shortcut});
    EXPECT_EQ(std::ranges::count(w.fs.log, "remove " + shortcut), 1);
    EXPECT_EQ(w.fs.get(shortcut) + w.fs.get(kAll98 + "SCQuorvel.lnk"), "LNKLNK");
    EXPECT_EQ(w.registry.values[kRunPath].data, "F:\\Program\\quorvel\\quorvel");

    w.fs.put(w.path("tlochg.dat"), "x", AttrHidden | AttrReadOnly);
    DelLockIni(w.ctx);
    for (const std::string& gone : {w.record("tplockts.ini"), w.path("tlochg.dat"), w.record("tpserial1.dat"),
                                    w.record("tpserial2.dat"), shortcut, kAll98 + "SCQuorvel.lnk"})
        EXPECT_FALSE(w.fs.has(gone)) << gone;
    EXPECT_TRUE(w.registry.values.empty() && w.fs.has(w.path("SCQuorvel.lnk")));
    w.shell.startup.clear();   // no start-up folder: the record alone
    WriteLockIni(w.ctx);
    EXPECT_TRUE(w.registry.values.empty() && w.fs.has(w.record("tpserial2.dat")));
}
