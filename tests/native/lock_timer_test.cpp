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

// A plain copy left behind never wins; hidden and read-only files are read and replaced; the
// duration held since arming outlives the stick; deleting removes both files. (Failed writes
// ride the store fault journeys.)
TEST(LockTimer, LeftoversHiddenFilesTheHeldDurationAndDeletion) {
    LockTimerWorld w;
    w.putTimer("100\r\n");   // invalid for the dialogs: the valid leftover must not win
    w.fs.put(w.plain, "5\r\n", AttrHidden);
    EXPECT_EQ(ReadLockTimerHours(w.ctx), 0);
    const auto& log = w.fs.log;   // deleted before anything is deciphered into it
    EXPECT_LT(std::find(log.begin(), log.end(), "remove " + w.plain), std::find(log.begin(), log.end(), "write " + w.plain));
    w.fs.put(w.plain, "leftover, much longer than the new text\r\n");
    w.fs.setAttributes(w.stored, AttrHidden | AttrReadOnly);
    ASSERT_TRUE(WriteLockTimer(w.ctx, "5"));
    EXPECT_EQ(w.timerContent() + std::to_string(w.leftovers()), "5\r\n0");
    HoldLockNeeds(w.ctx);
    ASSERT_TRUE(WriteLockTimer(w.ctx, "24"));
    w.fs.setAttributes(w.stored, AttrHidden | AttrReadOnly);
    EXPECT_EQ(ReadLockTimerHours(w.ctx), 24);
    const auto files = w.fs.files;
    w.fs.files.clear();   // the stick is pulled
    EXPECT_EQ(LockHours(w.ctx), 24);
    w.fs.files = files;

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
