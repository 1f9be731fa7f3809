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
const char* const kFiles[] = {"tplockts.ini", "tpserial1.dat", "tpserial2.dat"};

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

TEST(LockRecord, OnXpTheRecordOnThePcComesBeforeAnOlderOneInTheProgramFolderAndOnlyTheUserShortcutGoes) {
    RecordWorld w(-1, kUserXP);
    const std::string old[] = {kMarker, EncodeDigitText("OLDKEY") + "\r\n", EncodeOffsetText("OLDKEY") + "\r\n"};
    for (int i = 0; i < 3; ++i) w.fs.put(w.path(kFiles[i]), old[i]);
    EXPECT_EQ(ReadLockRecord(w.ctx).keyId, "OLDKEY");
    w.fs.put(w.record("tplockts.ini"), "[Old]\r\nx=1\r\n");   // stale file is replaced, not merged
    w.registry.values[kRunPath] = {1, "kept"};
    WriteLockIni(w.ctx);
    EXPECT_EQ(w.fs.get(w.record("tplockts.ini")), kMarker);
    EXPECT_EQ(w.fs.get(w.record("tpserial1.dat")), EncodeDigitText("0781557104B1D19A") + "\r\n");
    const std::string second = w.fs.get(w.record("tpserial2.dat"));   // one line, from a random start
    EXPECT_EQ(second.find("\r\n") + 2, second.size());
    EXPECT_EQ(DecodeOffsetText(second.substr(0, second.size() - 2)), "0781557104B1D19A");
    LockRecord r = ReadLockRecord(w.ctx);
    EXPECT_TRUE(r.complete && r.markerOk && r.secondCopyInsideFirst);
    EXPECT_EQ(r.driveLetter + r.keyId, "E0781557104B1D19A");

    w.fs.put(kUserXP + "\\SCQuorvel.lnk", "LNK", AttrHidden | AttrReadOnly);
    DelLockIni(w.ctx);
    for (const char* file : kFiles) EXPECT_FALSE(w.fs.has(w.path(file)) || w.fs.has(w.record(file))) << file;
    EXPECT_FALSE(w.fs.has(kUserXP + "\\SCQuorvel.lnk"));
    EXPECT_EQ(w.registry.values[kRunPath].data, "kept");

    w.system.recordFolder.clear();   // no per-machine folder to be had: the program folder
    WriteLockIni(w.ctx);
    EXPECT_TRUE(w.fs.has(w.path("tpserial1.dat")));
}

TEST(LockRecord, OnWin98TheShortcutsAndRunValueComeAndGoWithTheRecordWhateverBecameOfEarlierSteps) {
    const std::pair<std::string, std::string> derived[] = {
        {kUser98 + "\\", kAll98}, {"C:\\A\\B\\C", "C:\\A\\All Users\\B\\C\\"}, {"C:\\A\\B", ""}, {"", ""}};
    for (auto& [user, all] : derived) EXPECT_EQ(AllUsersStartupFolder(user), all) << user;
    for (bool allUsersFolder : {true, false}) {
        SCOPED_TRACE(allUsersFolder);
        RecordWorld w(allUsersFolder ? 3 : 4, kUser98);
        if (allUsersFolder) w.fs.mkdir(kAll98, AttrDirectory | AttrHidden | AttrSystem | AttrReadOnly);
        else w.fs.put(kAll98, "a file, not a folder");
        DelLockIni(w.ctx);   // nothing there: nothing attempted
        EXPECT_TRUE(w.fs.log.empty() && w.secureDelete.calls.empty());
        w.fs.put(kUser98 + "\\SCQuorvel.lnk", "OLD", AttrHidden | AttrSystem);
        if (!allUsersFolder) w.fs.failWrites = {w.record("tplockts.ini"), w.record("tpserial1.dat")};
        WriteLockIni(w.ctx);   // a failed step stops none of the later ones
        EXPECT_TRUE(w.fs.has(w.record("tpserial2.dat")));
        EXPECT_EQ(w.secureDelete.calls, std::vector<std::string>{kUser98 + "\\SCQuorvel.lnk"});
        EXPECT_EQ(w.fs.get(kUser98 + "\\SCQuorvel.lnk") + w.fs.get(kAll98 + "SCQuorvel.lnk"),
                  allUsersFolder ? "LNKLNK" : "LNK");
        EXPECT_EQ(w.registry.values[kRunPath].data, "F:\\Program\\quorvel\\quorvel");

        w.fs.put(w.path("tlochg.dat"), "x", AttrHidden | AttrReadOnly);
        DelLockIni(w.ctx);
        for (const std::string& gone : {w.record("tplockts.ini"), w.path("tlochg.dat"), w.record("tpserial1.dat"),
                                        w.record("tpserial2.dat"), kUser98 + "\\SCQuorvel.lnk", kAll98 + "SCQuorvel.lnk"})
            EXPECT_FALSE(w.fs.has(gone)) << gone;
        EXPECT_TRUE(w.registry.values.empty() && w.fs.has(w.path("SCQuorvel.lnk")));
    }
}

TEST(LockRecord, NoStartupFolderStopsAfterTheRecordFilesAndAFailedSecureDeleteFallsBack) {
    RecordWorld w(3, "");
    w.registry.values[kRunPath] = {1, "kept"};
    WriteLockIni(w.ctx);
    EXPECT_TRUE(w.fs.has(w.record("tpserial2.dat")));
    DelLockIni(w.ctx);
    EXPECT_FALSE(w.fs.has(w.record("tpserial2.dat")));
    EXPECT_EQ(w.registry.values[kRunPath].data, "kept");
    w.secureDelete.works = false;   // the plain delete follows
    w.fs.put("C:\\t.lnk", "old", AttrSystem);
    EXPECT_EQ(SecureDelete(w.ctx, "C:\\t.lnk"), 0);
    EXPECT_FALSE(w.fs.has("C:\\t.lnk"));
    w.fs.mkdir("C:\\dir.lnk");   // a folder in the way is never deleted
    CopyFileSilent(w.ctx, w.path("SCQuorvel.lnk"), "C:\\dir.lnk");
    EXPECT_TRUE(w.fs.folders.count("C:\\dir.lnk"));
}

TEST(LockRecord, ReadingDamagedRecords) {
    struct Case { std::string ini, s1, s2; bool complete, marker, inside; std::string key; };
    const std::string s1 = EncodeDigitText("ABCDEF") + "\r\n";
    const Case cases[] = {
        {kMarker, s1, "", false, false, false, ""},   // tpserial2.dat missing
        {kMarker, s1, EncodeOffsetText("CDE", 40) + "\r\nrest", true, true, true, "ABCDEF"},
        {kMarker, s1, EncodeOffsetText("XYZ") + "\r\n", true, true, false, "ABCDEF"},
        {"[LVantrel]\r\nLVantrelC=269\r\n", s1, EncodeOffsetText("A"), true, false, true, "ABCDEF"},
        {kMarker, "\r\n", EncodeOffsetText(""), true, true, false, ""},   // an empty identity never matches
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.s2);
        FakeWorld w;
        w.fs.put(w.path("tplockts.ini"), c.ini, AttrHidden);
        w.fs.put(w.path("tpserial1.dat"), c.s1, AttrReadOnly);
        if (!c.s2.empty()) w.fs.put(w.path("tpserial2.dat"), c.s2);
        LockRecord r = ReadLockRecord(w.ctx);
        EXPECT_EQ((std::array{r.complete, r.markerOk, r.secondCopyInsideFirst}),
                  (std::array{c.complete, c.marker, c.inside}));
        EXPECT_EQ(r.keyId, c.key);
    }
}
