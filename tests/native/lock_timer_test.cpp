#include <algorithm>

#include <gtest/gtest.h>

#include "lock/lock_timer.h"
#include "lock_timer_world.h"

using namespace qv;
using namespace qv::test;

namespace {

struct StoredCase {
    const char* content;   // plain file as an earlier run left it
    int dialogHours;       // ReadLockTimerHours
    int lockScreenHours;   // ReadLockTimerDuration
};

const StoredCase kStoredCases[] = {
    {"12\r\n", 12, 12},       {"  12  \r\n", 12, 12},  {"12a\r\n", 0, 0},       {"-5\r\n", 0, 0},
    {"0\r\n", 0, 0},          {"\r\n", 0, 0},          {"   \r\n", 0, 0},       {"100\r\n", 0, 100},
    {"70000\r\n", 0, 0},      {"32768\r\n", 0, 0},     {"299\r\n", 0, 299},    {"300\r\n", 0, 0},
    {"1\r\n", 1, 1},          {"24\r\n", 24, 24},      {"25\r\n", 0, 25},      {"0000012\r\n", 12, 12},
    {"\"7\"\r\n", 7, 7},      {"8,9\r\n", 8, 8},       {"5", 5, 5},            {"5\r\n20\r\n", 5, 5},
    {"1 2\r\n", 0, 0},        {"+5\r\n", 0, 0},        {"\x01\x02garbage", 0, 0}, {" \"9\" ,x", 9, 9},
    {"\"3", 3, 3},
};

}  // namespace

TEST(LockTimer, StoredValuesAreValidatedForEachReadersRange) {
    for (const StoredCase& c : kStoredCases) {
        LockTimerWorld w;
        w.putTimer(c.content);
        EXPECT_EQ(ReadLockTimerHours(w.ctx), c.dialogHours) << '"' << c.content << '"';
        EXPECT_EQ(ReadLockTimerDuration(w.ctx), c.lockScreenHours) << '"' << c.content << '"';
        EXPECT_FALSE(w.leftovers()) << c.content;
        EXPECT_TRUE(w.fs.has(w.stored)) << "reading never consumes the file";
    }
}

TEST(LockTimer, MissingOrUndecipherableFileMeansNoTimer) {
    LockTimerWorld none;
    EXPECT_EQ(ReadLockTimerHours(none.ctx), 0);
    EXPECT_EQ(ReadLockTimerDuration(none.ctx), 0);

    LockTimerWorld damaged;
    damaged.fs.put(damaged.stored, std::string("\xff\xff\xff\x7f", 4) + "12345678");
    EXPECT_EQ(ReadLockTimerDuration(damaged.ctx), 0);
    EXPECT_FALSE(damaged.leftovers());

    LockTimerWorld noBoxes;
    noBoxes.putTimer("12\r\n");
    noBoxes.fs.files.erase(noBoxes.path("bf.dat"));
    EXPECT_EQ(ReadLockTimerDuration(noBoxes.ctx), 0);

    LockTimerWorld hidden;   // a hidden or read-only tmhr.tmp still counts
    hidden.putTimer("6\r\n");
    hidden.fs.setAttributes(hidden.stored, AttrHidden | AttrReadOnly);
    EXPECT_EQ(ReadLockTimerHours(hidden.ctx), 6);
}

TEST(LockTimer, LeftoverPlainFileIsDeletedFirstAndNeverRead) {
    // Stored value invalid for the dialogs, leftover valid: the leftover must not win.
    LockTimerWorld w;
    w.putTimer("100\r\n");
    w.fs.put(w.plain, "5\r\n");
    EXPECT_EQ(ReadLockTimerHours(w.ctx), 0);
    EXPECT_FALSE(w.fs.has(w.plain));
    auto removed = std::find(w.fs.log.begin(), w.fs.log.end(), "remove " + w.plain);
    auto deciphered = std::find(w.fs.log.begin(), w.fs.log.end(), "write " + w.plain + ".new");
    EXPECT_LT(removed, deciphered);

    // Undecipherable store and a leftover that cannot even be removed: still no timer.
    LockTimerWorld stuck;
    stuck.fs.put(stuck.stored, "damaged");
    stuck.fs.put(stuck.plain, "5\r\n");
    stuck.fs.failRemoves.insert(stuck.plain);
    EXPECT_EQ(ReadLockTimerHours(stuck.ctx), 0);
    EXPECT_EQ(ReadLockTimerDuration(stuck.ctx), 0);
}

TEST(LockTimer, WriteStoresOneLineAndLeavesNoPlainFile) {
    LockTimerWorld w;
    w.fs.put(w.plain, "leftover, much longer than the new text\r\n");
    ASSERT_TRUE(WriteLockTimer(w.ctx, "5"));
    EXPECT_EQ(w.timerContent(), "5\r\n");
    EXPECT_FALSE(w.leftovers());
    ASSERT_TRUE(WriteLockTimer(w.ctx, "24"));
    EXPECT_EQ(ReadLockTimerHours(w.ctx), 24);
}

TEST(LockTimer, FailedWriteLeavesThePreviousFileReadable) {
    for (const char* failing : {"tmhr.ini", "tmhr.tmp", "tmhr.tmp.new", "bf.dat-missing"}) {
        LockTimerWorld w;
        w.putTimer("7\r\n");
        const std::string before = w.fs.get(w.stored);
        if (std::string(failing) == "bf.dat-missing") w.fs.files.erase(w.path("bf.dat"));
        else w.fs.failWrites.insert(w.path(failing));
        EXPECT_FALSE(WriteLockTimer(w.ctx, "5")) << failing;
        EXPECT_EQ(w.fs.get(w.stored), before) << failing;
        EXPECT_FALSE(w.leftovers()) << failing;
        w.fs.failWrites.clear();
        if (std::string(failing) != "bf.dat-missing") {
            EXPECT_EQ(ReadLockTimerHours(w.ctx), 7) << failing;
        }
    }
    LockTimerWorld fresh;   // nothing before: nothing after
    fresh.fs.failWrites.insert(fresh.plain);
    EXPECT_FALSE(WriteLockTimer(fresh.ctx, "5"));
    EXPECT_FALSE(fresh.fs.has(fresh.stored));
}

TEST(LockTimer, DeleteRemovesBothFilesWhateverTheirAttributes) {
    LockTimerWorld w;
    w.putTimer("3\r\n");
    w.fs.setAttributes(w.stored, AttrHidden | AttrReadOnly);
    w.fs.put(w.plain, "3\r\n", AttrHidden);
    DeleteLockTimer(w.ctx);
    EXPECT_FALSE(w.fs.has(w.stored));
    EXPECT_FALSE(w.fs.has(w.plain));

    w.fs.log.clear();
    DeleteLockTimer(w.ctx);   // nothing there: nothing attempted
    EXPECT_TRUE(w.fs.log.empty());
}
