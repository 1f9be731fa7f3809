#include <gtest/gtest.h>

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
    // frmRemindTime (shown when arming) or its twin frmRemind (from the settings entries).
    void show(bool remindTime) { remindTime ? ShowRemindTimeDialog(ctx) : ShowRemindDialog(ctx); }
};

const char* DialogName(bool remindTime) { return remindTime ? "frmRemindTime" : "frmRemind"; }

std::string Duration(int hours) { return "Your timer has been set to lock for " + std::to_string(hours) + " hours."; }

}  // namespace

TEST(SetTimerDialog, OffersAValidStoredDurationAndStoresOnlyAValidChoice) {
    // A critical message keeps the dialog open; nullptr: no message.
    struct Case { const char *before, *offered, *typed, *button; bool failWrite; const char *message; };
    const char* const select = "Please select hour.";
    const Case cases[] = {
        {"7\r\n", "7", "9", "cmdOk", false, "Lock duration has been set to 9 hour(s)."},
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
            EXPECT_EQ(v.text("combo1") + " " + v.caption("lbHour"), std::string(c.offered) + " hour(s)");
            v.setText("combo1", c.typed);
            f.click(c.button);
            EXPECT_EQ(v.isOpen(), critical);
            EXPECT_EQ(v.focus, critical ? "combo1" : "");
        });
        ShowSetTimerDialog(w.ctx);
        EXPECT_EQ(w.timerContent(), stored ? std::string(c.typed) + "\r\n" : c.before);
        EXPECT_FALSE(w.leftovers());
        const unsigned flags = critical ? MbOk | MbIconCritical : MbOk;
        EXPECT_EQ(w.messages.boxes(), c.message ? Log{FakeMessageBoxes::box(kAppTitle, c.message, flags)} : Log{});
    }
}

TEST(RecoverySettingsDialogs, OpenWithTheOwnersNameTheDurationAndTheirCloseCaption) {
    // frmRemindTime makes sure a duration exists (24 hours); frmRemind only says there is none.
    struct Case { bool remindTime; std::int16_t fromLock; const char *before, *close, *after; std::string text; };
    const Case cases[] = {
        {true, -1, "3\r\n", "L129", "3\r\n", Duration(3)}, {false, 0, "3\r\n", "L128", "3\r\n", Duration(3)},
        {false, -1, "100\r\n", "L129", "100\r\n", "No timer."}, {true, -1, "", "L129", "24\r\n", Duration(24)},
        {true, -1, "100\r\n", "L129", "24\r\n", Duration(24)},
        {true, -1, nullptr, "L129", "<none>", "No timer."},   // nullptr: even the default cannot be stored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(DialogName(c.remindTime)) + " " + (c.before ? c.before : "read-only"));
        DialogWorld w;
        w.ctx.globals().fromLockCommand = c.fromLock;
        if (c.before && *c.before) w.putTimer(c.before);
        if (!c.before) w.fs.failWrites.insert(w.plain);
        w.during(DialogName(c.remindTime), [&](Form&, FakeView& v) {
            EXPECT_EQ(v.caption("lbfrDescrip") + " " + v.caption("cmdClose"), "Ann, L544 " + std::string(c.close));
            EXPECT_EQ(v.caption("lbTimeDuration"), c.text);
            EXPECT_EQ(v.isChecked("Option2_0"), c.remindTime);
            EXPECT_FALSE(v.isChecked("Option2_1") || v.isChecked("Option1_0") || v.isChecked("Option1_1"));
        });
        w.show(c.remindTime);
        EXPECT_EQ(w.forms.shown, Log{std::string(DialogName(c.remindTime)) + " modal"});
        EXPECT_EQ(w.timerContent(), c.after);
        EXPECT_FALSE(w.leftovers());
    }
}

TEST(RemindTimeDialog, ArmingJourneyThroughOptionsDurationPassphraseAndSave) {
    DialogWorld w;
    w.fs.put(w.path("passadd.tmp"), "x");
    w.fs.put(w.path("passadd.txt"), "y", AttrHidden);
    for (const char* key : {"OTHER", "ARMED"}) {
        w.ctx.globals().lockUSBKeyId = key;
        ASSERT_TRUE(SavePassword(w.ctx, std::string("pass of ") + key));
    }
    w.during("frmSetTimer", [&](Form& f, FakeView& v) {
        v.setText("combo1", "5");
        f.click("cmdOk");
    });
    w.during("frmRemindTime", [&](Form& f, FakeView& v) {
        f.click("cmdSetTime");
        EXPECT_EQ(v.caption("lbTimeDuration"), Duration(5));
        f.click("cmdSetPass");
        w.messages.answers = {IdNo};
        f.click("cmdDeletePass");
        EXPECT_EQ(GetPassword(w.ctx, "ARMED"), "pass of ARMED");
        f.click("cmdDeletePass");
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
    EXPECT_EQ(w.mainWindow.calls, Log{"setPassword"});
    EXPECT_EQ(GetPassword(w.ctx, "ARMED") + "|" + GetPassword(w.ctx, "OTHER"), "|pass of OTHER");
    EXPECT_FALSE(w.fs.has(w.path("passadd.tmp")) || w.fs.has(w.path("passadd.txt")) || w.fs.has(w.path("pass.ini")));
    EXPECT_EQ(w.timerContent(), "<none>");   // saved with no timer
    const std::string ask = FakeMessageBoxes::box("L304", "Delete?", MbYesNo | MbIconExclamation);
    EXPECT_EQ(w.messages.boxes(), (Log{FakeMessageBoxes::box(kAppTitle, "Lock duration has been set to 5 hour(s).", MbOk),
                                       ask, ask, FakeMessageBoxes::box("L307", "Ann, saved.", MbOk | MbIconInformation)}));
    w.during("frmRemindTime", [&](Form& f, FakeView&) {   // closing leaves a duration, whatever was chosen
        f.click("lbTimerNo");
        DeleteLockTimer(w.ctx);
        f.click("cmdClose");
    });
    ShowRemindTimeDialog(w.ctx);
    EXPECT_EQ(w.timerContent(), "24\r\n");
}

TEST(RemindDialog, SetsDurationAndPassphraseWithoutRefreshingAndCloseDropsTheTimerWhenChosen) {
    DialogWorld w;
    w.during("frmSetTimer", [&](Form& f, FakeView& v) {
        v.setText("combo1", "5");
        f.click("cmdOk");
    });
    w.during("frmRemind", [&](Form& f, FakeView& v) {
        f.click("cmdSetTime");
        f.click("cmdSetPass");
        EXPECT_EQ(v.caption("lbTimeDuration"), "No timer.");
        EXPECT_EQ(w.timerContent(), "5\r\n");
        f.click("lbTimerNo");
        f.click("cmdClose");
    });
    ShowRemindDialog(w.ctx);
    EXPECT_EQ(w.mainWindow.calls, Log{"setPassword"});
    EXPECT_EQ(w.forms.shown, (Log{"frmRemind modal", "frmSetTimer modal"}));
    EXPECT_EQ(w.timerContent(), "<none>");
}
