#include <algorithm>

#include <gtest/gtest.h>

#include "lock/lock_needs.h"
#include "lock/lock_timer.h"
#include "lock_timer_world.h"

using namespace qv;
using namespace qv::test;

TEST(LockTimer, StoredValuesAreValidatedForEachReadersRange) {
    struct Case {
        const char* content;                // as an earlier run left it
        int dialogHours, lockScreenHours;   // ReadLockTimerHours, ReadLockTimerDuration
    };
    const Case cases[] = {
        {"  12  \r\n", 12, 12}, {"12a\r\n", 0, 0}, {"-5\r\n", 0, 0},  {"0\r\n", 0, 0},     {"   \r\n", 0, 0},
        {"100\r\n", 0, 100},  {"32768\r\n", 0, 0}, {"299\r\n", 0, 299}, {"300\r\n", 0, 0},   {"1\r\n", 1, 1},
        {"24\r\n", 24, 24},   {"25\r\n", 0, 25},   {"\"7\"\r\n", 7, 7}, {"8,9\r\n", 8, 8},   {"5\r\n20\r\n", 5, 5},
        {"1 2\r\n", 0, 0},    {"+5\r\n", 0, 0},    {"\"3", 3, 3},
    };
    for (const Case& c : cases) {
        LockTimerWorld w;
        w.putTimer(c.content);
        EXPECT_EQ(ReadLockTimerHours(w.ctx), c.dialogHours) << '"' << c.content << '"';
        EXPECT_EQ(ReadLockTimerDuration(w.ctx), c.lockScreenHours) << '"' << c.content << '"';
        EXPECT_FALSE(w.leftovers()) << c.content;
        EXPECT_TRUE(w.fs.has(w.stored)) << "reading never consumes the file";
    }
}

TEST(LockTimer, MissingUndecipherableOrHiddenFiles) {
    LockTimerWorld none, damaged, noBoxes, stuck, hidden;
    damaged.fs.put(damaged.stored, std::string("\xff\xff\xff\x7f", 4) + "12345678");   // hostile length
    stuck.fs.put(stuck.stored, "damaged");   // and a leftover that cannot even be removed
    stuck.fs.put(stuck.plain, "5\r\n");
    stuck.fs.failRemoves.insert(stuck.plain);
    noBoxes.putTimer("12\r\n");
    noBoxes.fs.files.erase(noBoxes.path("bf.dat"));
    hidden.putTimer("6\r\n");
    hidden.fs.setAttributes(hidden.stored, AttrHidden | AttrReadOnly);
    for (LockTimerWorld* w : {&none, &damaged, &noBoxes, &stuck}) {
        EXPECT_EQ(ReadLockTimerHours(w->ctx), 0);
        EXPECT_EQ(ReadLockTimerDuration(w->ctx), 0);
        EXPECT_EQ(w->leftovers(), w == &stuck);
    }
    EXPECT_EQ(ReadLockTimerHours(hidden.ctx), 6);
}

TEST(LockTimer, LeftoverPlainFileIsDeletedFirstAndNeverRead) {
    LockTimerWorld w;   // stored value invalid for the dialogs, leftover valid: the leftover must not win
    w.putTimer("100\r\n");
    w.fs.put(w.plain, "5\r\n");
    EXPECT_EQ(ReadLockTimerHours(w.ctx), 0);
    EXPECT_FALSE(w.fs.has(w.plain));
    const auto& log = w.fs.log;
    EXPECT_LT(std::find(log.begin(), log.end(), "remove " + w.plain),
              std::find(log.begin(), log.end(), "write " + w.plain));
}

TEST(LockTimer, DurationHeldSinceArmingFollowsChangesAndOutlivesTheStick) {
    LockTimerWorld w;
    ASSERT_TRUE(WriteLockTimer(w.ctx, "5"));
    HoldLockNeeds(w.ctx);
    ASSERT_TRUE(WriteLockTimer(w.ctx, "7"));
    w.fs.files.clear();   // the stick is pulled
    EXPECT_EQ(LockHours(w.ctx), 7);
    ReleaseLockNeeds(w.ctx);
    EXPECT_EQ(LockHours(w.ctx), 0);
}

TEST(LockTimer, WriteStoresOneLineAndDeleteRemovesBothFiles) {
    LockTimerWorld w;
    w.fs.put(w.plain, "leftover, much longer than the new text\r\n");
    ASSERT_TRUE(WriteLockTimer(w.ctx, "5"));
    EXPECT_EQ(w.timerContent(), "5\r\n");
    EXPECT_FALSE(w.leftovers());
    w.fs.setAttributes(w.stored, AttrReadOnly);   // replaced all the same
    ASSERT_TRUE(WriteLockTimer(w.ctx, "24"));
    EXPECT_EQ(ReadLockTimerHours(w.ctx), 24);

    w.fs.setAttributes(w.stored, AttrHidden | AttrReadOnly);
    w.fs.put(w.plain, "3\r\n", AttrHidden);
    w.secureDelete.calls.clear();
    DeleteLockTimer(w.ctx);
    EXPECT_FALSE(w.fs.has(w.stored));
    EXPECT_EQ(w.secureDelete.calls, Log{w.plain});
    w.fs.log.clear();
    DeleteLockTimer(w.ctx);   // nothing there: nothing attempted
    EXPECT_TRUE(w.fs.log.empty());
}

TEST(LockTimer, FailedWriteLeavesThePreviousFileReadable) {
    for (const char* failing : {"tmhr.ini", "tmhr.tmp", "tmhr.tmp.new", ""}) {   // "": bf.dat missing
        LockTimerWorld w;
        w.putTimer("7\r\n");
        const std::string before = w.fs.get(w.stored);
        if (*failing) w.fs.failWrites.insert(w.path(failing));
        else w.fs.files.erase(w.path("bf.dat"));
        EXPECT_FALSE(WriteLockTimer(w.ctx, "5")) << failing;
        EXPECT_EQ(w.fs.get(w.stored), before) << failing;
        EXPECT_FALSE(w.leftovers()) << failing;
        w.fs.failWrites.clear();
        EXPECT_EQ(ReadLockTimerHours(w.ctx), *failing ? 7 : 0) << failing;
    }
    LockTimerWorld fresh;   // nothing before: nothing after
    fresh.fs.failWrites.insert(fresh.plain);
    EXPECT_FALSE(WriteLockTimer(fresh.ctx, "5"));
    EXPECT_FALSE(fresh.fs.has(fresh.stored));
}
