#include <array>

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

struct RecordWorld : FakeWorld {
    RecordWorld(std::int16_t os, const std::string& startup) {
        ctx.globals().osCode = os;
        ctx.globals().lockDriveLetter = "E";
        ctx.globals().lockUSBKeyId = "0781557104B1D19A";
        shell.startup = startup;
        if (!startup.empty()) fs.mkdir(startup);
        fs.put(path("SCQuorvel.lnk"), "LNK");
    }
};

}  // namespace

TEST(LockRecord, WritesExactRecordFilesAndTouchesOnlyTheUserShortcutOnXP) {
    RecordWorld w(-1, kUserXP);
    w.fs.put(w.record("tplockts.ini"), "[Old]\r\nx=1\r\n");   // stale file is replaced, not merged
    w.registry.values[kRunPath] = {1, "kept"};
    WriteLockIni(w.ctx);
    EXPECT_EQ(w.fs.get(w.record("tplockts.ini")), kMarker);
    EXPECT_EQ(w.fs.get(w.record("tpserial1.dat")), EncodeDigitText("0781557104B1D19A") + "\r\n");
    const std::string second = w.fs.get(w.record("tpserial2.dat"));
    ASSERT_GE(second.size(), 2u);
    EXPECT_EQ(second.find_first_of("\r\n"), second.size() - 2);   // one line
    EXPECT_FALSE(w.fs.has(kUserXP + "\\SCQuorvel.lnk"));
    LockRecord r = ReadLockRecord(w.ctx);
    EXPECT_TRUE(r.complete && r.markerOk && r.secondCopyInsideFirst);
    EXPECT_EQ(r.driveLetter + r.keyId, "E0781557104B1D19A");

    w.fs.put(kUserXP + "\\SCQuorvel.lnk", "LNK", AttrHidden | AttrReadOnly);
    DelLockIni(w.ctx);
    EXPECT_FALSE(w.fs.has(kUserXP + "\\SCQuorvel.lnk") || w.fs.has(w.record("tpserial1.dat")));
    EXPECT_EQ(w.registry.values.size(), 1u);
    EXPECT_EQ(w.registry.values[kRunPath].data, "kept");
}

TEST(LockRecord, KeptOnThePcWhileAnOlderOneInTheProgramFolderIsStillReadAndRemoved) {
    RecordWorld w(-1, kUserXP);
    const char* files[] = {"tplockts.ini", "tpserial1.dat", "tpserial2.dat"};
    const std::string old[] = {kMarker, EncodeDigitText("OLDKEY") + "\r\n", EncodeOffsetText("OLDKEY") + "\r\n"};
    for (int i = 0; i < 3; ++i) w.fs.put(w.path(files[i]), old[i]);
    EXPECT_EQ(ReadLockRecord(w.ctx).keyId, "OLDKEY");
    WriteLockIni(w.ctx);
    EXPECT_EQ(ReadLockRecord(w.ctx).keyId, "0781557104B1D19A");   // the PC's record comes first
    DelLockIni(w.ctx);
    for (const char* file : files) EXPECT_FALSE(w.fs.has(w.path(file)) || w.fs.has(w.record(file))) << file;

    RecordWorld noFolder(-1, kUserXP);   // no per-machine folder to be had: the program folder
    noFolder.system.recordFolder.clear();
    WriteLockIni(noFolder.ctx);
    EXPECT_TRUE(noFolder.fs.has(noFolder.path("tpserial1.dat")));
}

TEST(LockRecord, Win98WritesAndRemovesShortcutsAndRunValue) {
    for (std::int16_t os : {3, 4}) {
        RecordWorld w(os, kUser98);
        w.fs.mkdir(kAll98, AttrDirectory | AttrHidden | AttrSystem | AttrReadOnly);
        w.fs.put(kUser98 + "\\SCQuorvel.lnk", "OLD", AttrHidden | AttrSystem);
        WriteLockIni(w.ctx);
        EXPECT_EQ(w.secureDelete.calls, std::vector<std::string>{kUser98 + "\\SCQuorvel.lnk"});
        EXPECT_EQ(w.fs.get(kUser98 + "\\SCQuorvel.lnk") + w.fs.get(kAll98 + "SCQuorvel.lnk"), "LNKLNK");
        EXPECT_EQ(w.registry.values[kRunPath].data, "F:\\Program\\quorvel\\quorvel");

        w.fs.put(w.path("tlochg.dat"), "x", AttrHidden | AttrReadOnly);
        DelLockIni(w.ctx);
        for (const std::string& gone : {w.record("tplockts.ini"), w.path("tlochg.dat"), w.record("tpserial1.dat"),
                                        w.record("tpserial2.dat"), kUser98 + "\\SCQuorvel.lnk", kAll98 + "SCQuorvel.lnk"})
            EXPECT_FALSE(w.fs.has(gone)) << gone;
        EXPECT_TRUE(w.registry.values.empty());
        EXPECT_TRUE(w.fs.has(w.path("SCQuorvel.lnk")));
    }
}

TEST(LockRecord, AllUsersShortcutOnlyWhenTheDerivedFolderExists) {
    const std::pair<std::string, std::string> derived[] = {
        {kUser98 + "\\", kAll98}, {"C:\\A\\B\\C", "C:\\A\\All Users\\B\\C\\"}, {"C:\\A\\B", ""}, {"", ""}};
    for (auto& [user, all] : derived) EXPECT_EQ(AllUsersStartupFolder(user), all) << user;

    RecordWorld w(3, kUser98);
    EXPECT_EQ(ExistingAllUsersStartupFolder(w.ctx, kUser98), "");   // missing
    w.fs.put("C:\\WINDOWS\\All Users\\Start Menu\\Programs\\StartUp", "a file, not a folder");
    EXPECT_EQ(ExistingAllUsersStartupFolder(w.ctx, kUser98), "");
}

TEST(LockRecord, NoStartupFolderStopsAfterTheRecordFilesButFailedStepsDoNot) {
    RecordWorld w(3, "");
    WriteLockIni(w.ctx);
    EXPECT_TRUE(w.fs.has(w.record("tpserial2.dat")));
    EXPECT_TRUE(w.registry.values.empty());
    w.registry.values[kRunPath] = {1, "kept"};
    DelLockIni(w.ctx);
    EXPECT_FALSE(w.fs.has(w.record("tpserial2.dat")));
    EXPECT_EQ(w.registry.values.size(), 1u);

    RecordWorld failing(3, kUser98);
    failing.fs.failWrites = {failing.record("tplockts.ini"), failing.record("tpserial1.dat")};
    WriteLockIni(failing.ctx);
    EXPECT_TRUE(failing.fs.has(failing.record("tpserial2.dat")) && failing.fs.has(kUser98 + "\\SCQuorvel.lnk"));
    EXPECT_TRUE(failing.registry.values.count(kRunPath));
}

TEST(LockRecord, DeleteWithNothingPresentChangesNothingAndSecureDeleteFallsBack) {
    for (std::int16_t os : {-1, 3}) {
        RecordWorld w(os, kUser98);
        w.fs.mkdir(kAll98);
        DelLockIni(w.ctx);
        EXPECT_TRUE(w.fs.log.empty() && w.registry.values.empty() && w.secureDelete.calls.empty()) << os;
    }
    RecordWorld w(3, kUser98);
    w.secureDelete.works = false;
    w.fs.put("C:\\t.lnk", "old", AttrSystem);
    EXPECT_EQ(SecureDelete(w.ctx, "C:\\t.lnk"), 0);
    EXPECT_FALSE(w.fs.has("C:\\t.lnk"));
    w.fs.mkdir("C:\\dir.lnk");
    CopyFileSilent(w.ctx, w.path("SCQuorvel.lnk"), "C:\\dir.lnk");
    EXPECT_EQ(w.secureDelete.calls.size(), 1u);   // a folder in the way is never deleted
    EXPECT_TRUE(w.fs.folders.count("C:\\dir.lnk"));
}

TEST(LockRecord, ReadingDamagedRecords) {
    struct Case { const char* what; std::string ini, s1, s2; bool complete, marker, inside; std::string key; };
    const std::string s1 = EncodeDigitText("ABCDEF") + "\r\n";
    const Case cases[] = {
        {"serial2 missing", kMarker, s1, "", false, false, false, ""},
        {"substring", kMarker, s1, EncodeOffsetText("CDE", 40) + "\r\nrest", true, true, true, "ABCDEF"},
        {"not inside", kMarker, s1, EncodeOffsetText("XYZ") + "\r\n", true, true, false, "ABCDEF"},
        {"wrong marker", "[LVantrel]\r\nLVantrelC=269\r\n", s1, EncodeOffsetText("A"), true, false, true, "ABCDEF"},
        {"empty identity", kMarker, "\r\n", EncodeOffsetText(""), true, true, false, ""},
        {"garbage", "garbage", "265266x9", "zz", true, false, true, "AB"},
    };
    for (const Case& c : cases) {
        FakeWorld w;
        w.fs.put(w.path("tplockts.ini"), c.ini, AttrHidden);
        w.fs.put(w.path("tpserial1.dat"), c.s1, AttrReadOnly);
        if (!c.s2.empty()) w.fs.put(w.path("tpserial2.dat"), c.s2);
        LockRecord r = ReadLockRecord(w.ctx);
        EXPECT_EQ((std::array{r.complete, r.markerOk, r.secondCopyInsideFirst}),
                  (std::array{c.complete, c.marker, c.inside})) << c.what;
        EXPECT_EQ(r.keyId, c.key) << c.what;
    }
}
