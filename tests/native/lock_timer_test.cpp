#include <algorithm>

#include <gtest/gtest.h>

#include "lock/lock_needs.h"
#include "lock/lock_timer.h"
#include "lock_timer_world.h"

using namespace qv;
using namespace qv::test;

TEST(LockTimer, StoredValuesAreValidatedForEachReadersRange) {
    struct Case { const char* content; int dialogHours, lockScreenHours; };   // as an earlier run left it
    const Case cases[] = {
        {"  12  \r\n", 12, 12}, {"12a\r\n", 0, 0}, {"+5\r\n", 0, 0}, {"0\r\n", 0, 0}, {"   \r\n", 0, 0},
        {"32768\r\n", 0, 0}, {"299\r\n", 0, 299}, {"300\r\n", 0, 0}, {"1\r\n", 1, 1}, {"24\r\n", 24, 24},
        {"25\r\n", 0, 25}, {"\"7\"\r\n", 7, 7}, {"8,9\r\n", 8, 8}, {"5\r\n20\r\n", 5, 5}, {"1 2\r\n", 0, 0},
        {"\"3", 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE('"' + std::string(c.content) + '"');
        LockTimerWorld w;
        w.putTimer(c.content);
        EXPECT_EQ(ReadLockTimerHours(w.ctx), c.dialogHours);
        EXPECT_EQ(ReadLockTimerDuration(w.ctx), c.lockScreenHours);
        EXPECT_TRUE(w.fs.has(w.stored) && !w.leftovers()) << "reading neither consumes the file nor leaves any";
    }
}

TEST(LockTimer, MissingUndecipherableHiddenOrLeftBehindFiles) {
    LockTimerWorld none, damaged, noBoxes, stuck, hidden, leftover;
    damaged.fs.put(damaged.stored, std::string("\xff\xff\xff\x7f", 4) + "12345678");   // hostile length
    stuck.fs.put(stuck.stored, "damaged");   // and a leftover that cannot even be removed
    stuck.fs.put(stuck.plain, "5\r\n");
    stuck.fs.failRemoves.insert(stuck.plain);
    noBoxes.putTimer("12\r\n");
    noBoxes.fs.files.erase(noBoxes.path("bf.dat"));
    hidden.putTimer("6\r\n");
    hidden.fs.setAttributes(hidden.stored, AttrHidden | AttrReadOnly);
    leftover.putTimer("100\r\n");   // invalid for the dialogs; the valid leftover must not win
    leftover.fs.put(leftover.plain, "5\r\n");
    for (LockTimerWorld* w : {&none, &damaged, &noBoxes, &stuck, &hidden, &leftover}) {
        EXPECT_EQ(ReadLockTimerHours(w->ctx), w == &hidden ? 6 : 0);
        EXPECT_EQ(w->leftovers(), w == &stuck);
    }
    const auto& log = leftover.fs.log;   // deleted before anything is deciphered into it
    EXPECT_LT(std::find(log.begin(), log.end(), "remove " + leftover.plain),
              std::find(log.begin(), log.end(), "write " + leftover.plain));
}

TEST(LockTimer, WriteStoresOneLineWhichAnArmedLockHoldsBeyondThePullAndDeleteRemovesBothFiles) {
    LockTimerWorld w;
    w.fs.put(w.plain, "leftover, much longer than the new text\r\n");
    ASSERT_TRUE(WriteLockTimer(w.ctx, "5"));
    EXPECT_EQ(w.timerContent(), "5\r\n");
    EXPECT_FALSE(w.leftovers());
    HoldLockNeeds(w.ctx);
    w.fs.setAttributes(w.stored, AttrReadOnly);   // replaced all the same
    ASSERT_TRUE(WriteLockTimer(w.ctx, "24"));
    const auto files = w.fs.files;
    w.fs.files.clear();   // the stick is pulled
    EXPECT_EQ(LockHours(w.ctx), 24);
    w.fs.files = files;

    w.fs.setAttributes(w.stored, AttrHidden | AttrReadOnly);
    w.fs.put(w.plain, "3\r\n", AttrHidden);
    w.secureDelete.calls.clear();
    DeleteLockTimer(w.ctx);
    EXPECT_FALSE(w.fs.has(w.stored));
    EXPECT_EQ(w.secureDelete.calls, Log{w.plain});
    EXPECT_EQ(LockHours(w.ctx), 0) << "the held duration follows";
    w.fs.log.clear();
    DeleteLockTimer(w.ctx);   // nothing there: nothing attempted
    EXPECT_TRUE(w.fs.log.empty());
}

TEST(LockTimer, FailedWriteLeavesThePreviousFileReadable) {
    struct Case { const char* failing; bool before; };   // "": bf.dat missing
    for (const Case& c : {Case{"tmhr.ini", true}, Case{"tmhr.tmp", true}, Case{"tmhr.tmp.new", true}, Case{"", true},
                          Case{"tmhr.ini", false}}) {
        SCOPED_TRACE(c.failing);
        LockTimerWorld w;
        if (c.before) w.putTimer("7\r\n");
        const std::string before = w.fs.get(w.stored);
        if (*c.failing) w.fs.failWrites.insert(w.path(c.failing));
        else w.fs.files.erase(w.path("bf.dat"));
        EXPECT_FALSE(WriteLockTimer(w.ctx, "5"));
        EXPECT_EQ(w.fs.get(w.stored), before);
        EXPECT_EQ(w.fs.has(w.stored), c.before);
        EXPECT_FALSE(w.leftovers());
        w.fs.failWrites.clear();
        EXPECT_EQ(ReadLockTimerHours(w.ctx), *c.failing && c.before ? 7 : 0);
    }
}
