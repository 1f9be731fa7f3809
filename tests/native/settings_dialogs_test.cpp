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

// The user picks an option button: Windows checks it, clears its partner, then reports the click.
void Pick(Form& form, FakeView& view, const std::string& option) {
    view.setChecked(option, true);
    view.setChecked(option.substr(0, option.size() - 1) + (option.back() == '0' ? "1" : "0"), false);
    form.click(option);
}

std::string Duration(int hours) { return "Your timer has been set to lock for " + std::to_string(hours) + " hours."; }

}  // namespace

TEST(SetTimerDialog, OffersTheStoredDurationOnlyWhenTheDialogAcceptsIt) {
    for (auto [stored, choice] : {std::pair{"12\r\n", "12"}, std::pair{"100\r\n", ""}}) {   // 100: lock screen only
        DialogWorld w;
        w.putTimer(stored);
        std::string offered = "?";
        w.during("frmSetTimer", [&](Form&, FakeView& v) { offered = v.text("combo1"); });
        ShowSetTimerDialog(w.ctx);
        EXPECT_EQ(offered, choice) << stored;
    }
}

TEST(SetTimerDialog, OnlyAValidStoredChoiceIsConfirmedAndClosesTheDialog) {
    struct Case { const char *typed, *button; bool failWrite, staysOpen; const char *stored, *message; };
    const char* const select = "Please select hour.";
    const Case cases[] = {
        {"5", "cmdOk", false, false, "5\r\n", "Lock duration has been set to 5 hour(s)."},
        {"", "cmdOk", false, true, "7\r\n", select},    {"   ", "cmdOk", false, true, "7\r\n", select},
        {"abc", "cmdOk", false, true, "7\r\n", select}, {"25", "cmdOk", false, true, "7\r\n", select},
        {"0", "cmdOk", false, true, "7\r\n", select},   {"-3", "cmdOk", false, true, "7\r\n", select},
        {"3", "cmdCancel", false, false, "7\r\n", nullptr},   // nullptr: no message
        // No confirmation for a duration that was not stored.
        {"3", "cmdOk", true, true, "7\r\n", "Failed to save the lock duration."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " '" + c.typed + "'" + (c.failWrite ? " failing" : ""));
        DialogWorld w;
        w.putTimer("7\r\n");
        if (c.failWrite) w.fs.failWrites.insert(w.stored);
        std::string state;   // open or closed, and where the focus went
        w.during("frmSetTimer", [&](Form& f, FakeView& v) {
            v.setText("combo1", c.typed);
            v.focus.clear();
            f.click(c.button);
            state = (v.isOpen() ? "open " : "closed ") + v.focus;
        });
        ShowSetTimerDialog(w.ctx);
        EXPECT_EQ(state, c.staysOpen ? "open combo1" : "closed ");
        EXPECT_EQ(w.timerContent(), c.stored);
        EXPECT_FALSE(w.leftovers());
        const unsigned flags = c.staysOpen ? MbOk | MbIconCritical : MbOk;
        EXPECT_EQ(w.messages.boxes(), c.message ? Log{FakeMessageBoxes::box(kAppTitle, c.message, flags)} : Log{});
    }
}

TEST(RecoverySettingsDialogs, OpenWithTheOwnersNameTheDurationAndTheirCloseCaption) {
    struct Case { bool remindTime; std::int16_t fromLock; const char* close; bool timerChosen; };
    for (const Case& c : {Case{true, -1, "L129", true}, Case{false, 0, "L128", false},
                          Case{false, -1, "L129", false}}) {
        SCOPED_TRACE(std::string(DialogName(c.remindTime)) + " " + std::to_string(c.fromLock));
        DialogWorld w;
        w.ctx.globals().fromLockCommand = c.fromLock;
        w.putTimer("3\r\n");
        w.during(DialogName(c.remindTime), [&](Form&, FakeView& v) {
            EXPECT_EQ(v.caption("lbfrDescrip"), "Ann, L544");
            EXPECT_EQ(v.caption("cmdClose"), c.close);
            EXPECT_EQ(v.caption("lbTimeDuration"), Duration(3));
            EXPECT_EQ(v.isChecked("Option2_0"), c.timerChosen);
            EXPECT_FALSE(v.isChecked("Option2_1") || v.isChecked("Option1_0") || v.isChecked("Option1_1"));
        });
        w.show(c.remindTime);
        EXPECT_EQ(w.forms.shown, Log{std::string(DialogName(c.remindTime)) + " modal"});
    }
}

TEST(RecoverySettingsDialogs, MissingOrDialogInvalidDuration) {
    // frmRemindTime makes sure a duration exists (24 hours); frmRemind only says there is none.
    struct Case { bool remindTime; const char *stored, *text, *after; bool readOnly = false; };
    const std::string day = Duration(24);
    const Case cases[] = {
        {true, "", day.c_str(), "24\r\n"}, {true, "100\r\n", day.c_str(), "24\r\n"},
        {true, "0\r\n", day.c_str(), "24\r\n"}, {true, "abc\r\n", day.c_str(), "24\r\n"},
        {true, "", "No timer.", "<none>", true},   // even the default cannot be stored
        {false, "", "No timer.", "<none>"}, {false, "100\r\n", "No timer.", "100\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(DialogName(c.remindTime)) + " '" + c.stored + "'" + (c.readOnly ? " read-only" : ""));
        DialogWorld w;
        if (*c.stored) w.putTimer(c.stored);
        if (c.readOnly) w.fs.failWrites.insert(w.plain);
        std::string text;
        w.during(DialogName(c.remindTime), [&](Form&, FakeView& v) { text = v.caption("lbTimeDuration"); });
        w.show(c.remindTime);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(w.timerContent(), c.after);
        EXPECT_FALSE(w.leftovers());
    }
}

TEST(RecoverySettingsDialogs, CloseAndSaveApplyTheTimerChoice) {
    struct Case {
        const char* name;
        bool remindTime;
        const char* stored;
        bool noTimer, removeMeanwhile;
        const char *button, *after;
    };
    const Case cases[] = {
        {"close ignores the no-timer choice", true, "", true, false, "cmdClose", "24\r\n"},
        {"close recreates a duration removed meanwhile", true, "", false, true, "cmdClose", "24\r\n"},
        {"save with the timer choice keeps the duration", true, "9\r\n", false, false, "cmdSave", "9\r\n"},
        {"save with no timer removes the duration", true, "", true, false, "cmdSave", "<none>"},
        {"frmRemind close keeps the duration", false, "4\r\n", false, false, "cmdClose", "4\r\n"},
        {"frmRemind close with no timer removes it", false, "4\r\n", true, false, "cmdClose", "<none>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogWorld w;
        if (*c.stored) w.putTimer(c.stored);
        bool closed = false;
        w.during(DialogName(c.remindTime), [&](Form& f, FakeView& v) {
            if (c.noTimer) Pick(f, v, "Option2_1");
            // Only frmRemindTime reacts to the option click.
            EXPECT_EQ(v.isEnabled("cmdSetTime"), !(c.noTimer && c.remindTime));
            if (c.removeMeanwhile) DeleteLockTimer(w.ctx);
            f.click(c.button);
            closed = !v.isOpen();
        });
        w.show(c.remindTime);
        EXPECT_TRUE(closed);
        EXPECT_EQ(w.timerContent(), c.after);
        const Log saved{FakeMessageBoxes::box("L307", "Ann, saved.", MbOk | MbIconInformation)};
        EXPECT_EQ(w.messages.boxes(), std::string(c.button) == "cmdSave" ? saved : Log{});
    }
}

TEST(RemindTimeDialog, OptionsAndTheirTextsSwitchTheDurationButton) {
    struct Step { const char *click, *checked, *cleared; bool setTimeEnabled; };
    DialogWorld w;
    w.during("frmRemindTime", [&](Form& f, FakeView& v) {
        for (const Step& s : {Step{"lbTimerNo", "Option2_1", "Option2_0", false},
                              Step{"Option2_0", "Option2_0", "Option2_1", true},
                              Step{"lbPassNo", "Option1_1", "Option1_0", true},
                              Step{"Option2_1", "Option2_1", "Option2_0", false}}) {
            if (std::string(s.click).starts_with("Option")) Pick(f, v, s.click);
            else f.click(s.click);
            EXPECT_TRUE(v.isChecked(s.checked) && !v.isChecked(s.cleared)) << s.click;
            EXPECT_EQ(v.isEnabled("cmdSetTime"), s.setTimeEnabled) << s.click;
        }
    });
    ShowRemindTimeDialog(w.ctx);
}

TEST(RecoverySettingsDialogs, SetDurationAndSetPassphraseRunTheirCommands) {
    for (bool remindTime : {true, false}) {
        SCOPED_TRACE(DialogName(remindTime));
        DialogWorld w;
        std::string text;
        w.during("frmSetTimer", [&](Form& f, FakeView& v) { v.setText("combo1", "5"); f.click("cmdOk"); });
        w.during(DialogName(remindTime), [&](Form& f, FakeView& v) {
            f.click("cmdSetTime");
            text = v.caption("lbTimeDuration");
            f.click("cmdSetPass");
        });
        w.show(remindTime);
        EXPECT_EQ(text, remindTime ? Duration(5) : "No timer.") << "only frmRemindTime refreshes the text";
        EXPECT_EQ(w.timerContent(), "5\r\n");
        EXPECT_EQ(w.mainWindow.calls, Log{"setPassword"});
        EXPECT_EQ(w.forms.shown, (Log{std::string(DialogName(remindTime)) + " modal", "frmSetTimer modal"}));
    }
}

TEST(RemindTimeDialog, DeletePassphraseAsksAndDeletesOnlyOnYes) {
    for (int answer : {IdNo, IdYes}) {
        DialogWorld w;
        const std::string tmp = w.path("passadd.tmp"), txt = w.path("passadd.txt");
        w.fs.put(tmp, "x");
        w.fs.put(txt, "y", AttrHidden);
        for (const char* key : {"OTHER", "ARMED"}) {
            w.ctx.globals().lockUSBKeyId = key;
            ASSERT_TRUE(SavePassword(w.ctx, std::string("pass of ") + key));
        }
        w.messages.answers = {answer};
        w.during("frmRemindTime", [&](Form& f, FakeView&) { f.click("cmdDeletePass"); });
        ShowRemindTimeDialog(w.ctx);
        EXPECT_EQ(w.messages.boxes(), Log{FakeMessageBoxes::box("L304", "Delete?", MbYesNo | MbIconExclamation)});
        EXPECT_EQ(GetPassword(w.ctx, "ARMED"), answer == IdNo ? "pass of ARMED" : "");
        EXPECT_EQ(GetPassword(w.ctx, "OTHER"), "pass of OTHER");
        EXPECT_FALSE(w.fs.has(w.path("pass.ini")));
        EXPECT_EQ(w.timerContent(), "24\r\n");
        EXPECT_EQ(w.fs.has(tmp), answer == IdNo);
        EXPECT_EQ(w.fs.has(txt), answer == IdNo);
    }
}
