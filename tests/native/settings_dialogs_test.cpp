#include <algorithm>

#include <gtest/gtest.h>

#include "lock/lock_needs.h"
#include "lock/lock_timer.h"
#include "lock/remind_forms.h"
#include "lock/set_timer_form.h"
#include "lock_timer_world.h"
#include "password/password_store.h"

using namespace qv;
using namespace qv::test;

namespace {

struct DialogWorld : LockTimerWorld {
    DialogWorld() {
        ctx.globals().ownerName = "Ann";
        loadStrings({{122, "hour(s)"}, {128, "L128"}, {129, "L129"}, {304, "L304"}, {307, "L307"},
                     {531, "Lock duration has been set to"}, {533, "Delete?"}, {544, "%UserName, L544"},
                     {555, "%username, saved."}, {560, "Your timer has been set to lock for"}, {561, "hours"},
                     {562, "No timer."}});
    }
    // Runs `script` inside the named dialog while it is open.
    void during(const char* form, std::function<void(Form&, FakeView&)> script) {
        forms.scripts[form] = [this, script](Form& f) { script(f, forms.viewOf(f)); };
    }
    void setDuration(const char* hours) {
        during("frmSetTimer", [hours](Form& f, FakeView& v) {
            v.setText("combo1", hours);
            f.click("cmdOk");
        });
    }
};

std::string Duration(int hours) { return "Your timer has been set to lock for " + std::to_string(hours) + " hours."; }

}  // namespace

TEST(SetTimerDialog, OffersAValidStoredDurationAndStoresOnlyAValidChoice) {
    struct Case { const char *before, *offered, *typed, *button; bool failWrite; const char* message; };
    const char* const select = "Please select hour.";
    const Case cases[] = {   // a critical message keeps the dialog open; nullptr: no message
        {"7\r\n", "7", "9", "cmdOk", false, "Lock duration has been set to 9 hour(s)."},
        {"1\r\n", "1", "9", "cmdOk", false, "Lock duration has been set to 9 hour(s)."},
        {"100\r\n", "", "25", "cmdOk", false, select},   // 100: for the lock screen only
        {"7\r\n", "7", "0", "cmdOk", false, select}, {"7\r\n", "7", "3", "cmdCancel", false, nullptr},
        {"7\r\n", "7", "3", "cmdOk", true, "Failed to save the lock duration."},   // nothing stored, nothing confirmed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " '" + c.typed + "'" + (c.failWrite ? " failing" : ""));
        DialogWorld w;
        w.putTimer(c.before);
        if (c.failWrite) w.fs.failWrites.insert(w.stored);
        const bool stored = c.message && std::string(c.message).starts_with("Lock"), critical = c.message && !stored;
        w.during("frmSetTimer", [&](Form& f, FakeView& v) {
            EXPECT_EQ(v.caption("lbDuration") + v.text("combo1") + " " + v.caption("lbHour"),
                      std::string("Duration of lock:") + c.offered + " hour(s)");
            v.setText("combo1", c.typed);
            f.click(c.button);
            EXPECT_EQ(v.isOpen(), critical);
        });
        ShowSetTimerDialog(w.ctx);
        EXPECT_EQ(w.timerContent(), stored ? std::string(c.typed) + "\r\n" : c.before);
        const unsigned flags = critical ? MbOk | MbIconCritical : MbOk;
        EXPECT_EQ(w.messages.boxes(), c.message ? Log{FakeMessageBoxes::box(kAppTitle, c.message, flags)} : Log{});
    }
}

TEST(RemindTimeDialog, ArmingJourneyThroughOptionsDurationPassphraseAndSave) {
    DialogWorld unstorable;   // a duration that cannot be stored is not claimed
    unstorable.fs.failWrites.insert(unstorable.plain);
    unstorable.during("frmRemindTime", [](Form& f, FakeView& v) {
        EXPECT_EQ(v.caption("lbTimeDuration"), "No timer.");
        f.click("cmdClose");
        EXPECT_FALSE(v.isOpen());
    });
    ShowRemindTimeDialog(unstorable.ctx);
    DialogWorld w;
    w.putTimer("100\r\n");   // for the lock screen only: the dialog stores the default instead
    w.fs.put(w.path("passadd.tmp"), "x");
    w.fs.put(w.path("passadd.txt"), "y", AttrHidden);
    for (const char* key : {"OTHER", "ARMED"}) {
        w.ctx.globals().lockUSBKeyId = key;
        ASSERT_TRUE(SavePassword(w.ctx, std::string("pass of ") + key));
    }
    w.setDuration("5");
    w.during("frmRemindTime", [&](Form& f, FakeView& v) {
        EXPECT_EQ(v.caption("lbfrDescrip") + " " + v.caption("cmdClose"), "Ann, L544 L129");
        EXPECT_EQ(v.caption("lbTimeDuration") + " " + w.timerContent(), Duration(24) + " 24\r\n");
        EXPECT_TRUE(v.isChecked("Option2_0"));
        f.click("cmdSetTime");
        EXPECT_EQ(v.caption("lbTimeDuration"), Duration(5));
        f.click("cmdSetPass");
        w.messages.answers = {IdNo};
        f.click("cmdDeletePass");
        EXPECT_EQ(GetPassword(w.ctx, "ARMED"), "pass of ARMED");
        w.putTimer("7\r\n");   // the duration shown again after the deletion
        f.click("cmdDeletePass");
        EXPECT_EQ(v.caption("lbTimeDuration"), Duration(7));
        f.click("lbPassNo");   // the text beside an option picks it
        EXPECT_TRUE(v.isChecked("Option1_1") && !v.isChecked("Option1_0") && v.isEnabled("cmdSetTime"));
        v.setChecked("Option2_0", false);   // Windows checks the option clicked and clears its partner
        v.setChecked("Option2_1", true);
        f.click("Option2_1");
        EXPECT_FALSE(v.isEnabled("cmdSetTime"));
        f.click("cmdSave");
        EXPECT_FALSE(v.isOpen());
    });
    ShowRemindTimeDialog(w.ctx);
    EXPECT_EQ(unstorable.forms.shown, Log{"frmRemindTime modal"});
    EXPECT_EQ(w.mainWindow.calls, Log{"setPassword"});
    EXPECT_EQ(GetPassword(w.ctx, "ARMED") + "|" + GetPassword(w.ctx, "OTHER"), "|pass of OTHER");
    EXPECT_FALSE(w.fs.has(w.path("passadd.tmp")) || w.fs.has(w.path("passadd.txt")) || w.fs.has(w.path("pass.ini")));
    EXPECT_EQ(w.timerContent(), "<none>");   // saved with no timer
    const std::string ask = FakeMessageBoxes::box("L304", "Delete?", MbYesNo | MbIconExclamation);
    const std::string set = FakeMessageBoxes::box(kAppTitle, "Lock duration has been set to 5 hour(s).", MbOk);
    const std::string saved = FakeMessageBoxes::box("L307", "Ann, saved.", MbOk | MbIconInformation);
    EXPECT_EQ(w.messages.boxes(), (Log{set, ask, ask, saved}));
}

TEST(RemindDialog, SetsDurationWithoutRefreshingAndCloseDropsTheTimerWhenChosen) {
    DialogWorld w;
    w.ctx.globals().fromLockCommand = 0;
    w.setDuration("5");
    w.during("frmRemind", [&](Form& f, FakeView& v) {
        EXPECT_EQ(v.caption("lbfrDescrip") + " " + v.caption("cmdClose"), "Ann, L544 L128");
        EXPECT_EQ(v.c("lbTimeDuration").charset, w.ctx.charset());
        f.click("cmdSetTime");
        EXPECT_EQ(v.caption("lbTimeDuration") + " " + w.timerContent(), "No timer. 5\r\n");
        f.click("lbTimerNo");
        f.click("cmdClose");
    });
    ShowRemindDialog(w.ctx);
    EXPECT_EQ(w.timerContent(), "<none>");
}

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
    EXPECT_LT(std::find(log.begin(), log.end(), "remove " + w.plain),
              std::find(log.begin(), log.end(), "write " + w.plain));
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
