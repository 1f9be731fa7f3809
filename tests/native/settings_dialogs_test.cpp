#include <algorithm>

#include <gtest/gtest.h>

#include "lock/lock_timer.h"
#include "lock/remind_forms.h"
#include "lock/set_timer_form.h"
#include "lock_timer_world.h"

using namespace qv;
using namespace qv::test;

namespace {

using Log = std::vector<std::string>;
using Captions = std::vector<std::pair<const char*, const char*>>;

struct DialogWorld : LockTimerWorld {
    explicit DialogWorld(const std::string& languageId = "0409") {
        ctx.globals().languageId = languageId;
        ctx.globals().charsetSetting = languageId == "0409" ? "0" : "134";
        ctx.globals().ownerName = "Ann";
        loadStrings({{100, "L100"}, {101, "L101"}, {115, "L115"}, {119, "L119"}, {120, "L120"}, {122, "hour(s)"},
                     {123, "L123"}, {124, "L124"}, {128, "L128"}, {129, "L129"}, {131, "L131"}, {132, "L132"},
                     {133, "L133"}, {304, "L304"}, {307, "L307"}, {531, "Lock duration has been set to"},
                     {533, "Delete?"}, {542, "L542"}, {543, "L543"}, {544, "%UserName, L544"}, {545, "L545"},
                     {546, "L546"}, {547, "L547"}, {555, "%username, saved."}, {557, "L557"},
                     {560, "Your timer has been set to lock for"}, {561, "hours"}, {562, "No timer."},
                     {563, "L563"}});
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

TEST(SetTimerDialog, OpensWithCaptionsFontsHoursAndTheStoredChoice) {
    for (auto [stored, choice] : {std::pair{"12\r\n", "12"}, std::pair{"100\r\n", ""}}) {   // 100: lock screen only
        DialogWorld w("0804");
        w.putTimer(stored);
        w.during("frmSetTimer", [&](Form&, FakeView& v) {
            for (auto [name, text] : Captions{{"", "L119"}, {"lbDuration", "L120"}, {"lbHour", "hour(s)"},
                                              {"lbNote", "L123"}, {"cmdOk", "L100"}, {"cmdCancel", "L101"}})
                EXPECT_EQ(v.caption(name), text) << name;
            for (const char* c : {"lbDuration", "lbHour", "lbNote", "cmdOk", "cmdCancel"}) {
                EXPECT_EQ(v.c(c).fontSize, 9) << c;
                EXPECT_EQ(v.c(c).charset, 134) << c;
            }
            Log hours;
            for (int h = 1; h <= 24; ++h) hours.push_back(std::to_string(h));
            EXPECT_EQ(v.c("combo1").items, hours);
            EXPECT_EQ(v.text("combo1"), choice) << stored;
        });
        ShowSetTimerDialog(w.ctx);
    }
}

TEST(SetTimerDialog, OnlyAValidStoredChoiceIsConfirmedAndClosesTheDialog) {
    struct Case {
        const char *typed, *button;
        bool failWrite, staysOpen;
        const char *stored, *message;   // message nullptr: none
    };
    const char* const select = "Please select hour.";
    const Case cases[] = {
        {"5", "cmdOk", false, false, "5\r\n", "Lock duration has been set to 5 hour(s)."},
        {"", "cmdOk", false, true, "7\r\n", select},    {"   ", "cmdOk", false, true, "7\r\n", select},
        {"abc", "cmdOk", false, true, "7\r\n", select}, {"25", "cmdOk", false, true, "7\r\n", select},
        {"0", "cmdOk", false, true, "7\r\n", select},   {"-3", "cmdOk", false, true, "7\r\n", select},
        {"3", "cmdCancel", false, false, "7\r\n", nullptr},
        // No confirmation for a duration that was not stored.
        {"3", "cmdOk", true, true, "7\r\n", "Failed to save the lock duration."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " '" + c.typed + "'" + (c.failWrite ? " failing" : ""));
        DialogWorld w;
        w.putTimer("7\r\n");
        if (c.failWrite) w.fs.failWrites.insert(w.stored);
        bool open = false;
        std::string focus;
        w.during("frmSetTimer", [&](Form& f, FakeView& v) {
            v.setText("combo1", c.typed);
            v.focus.clear();
            f.click(c.button);
            open = v.isOpen();
            focus = v.focus;
        });
        ShowSetTimerDialog(w.ctx);
        EXPECT_EQ(open, c.staysOpen);
        EXPECT_EQ(focus, c.staysOpen ? "combo1" : "");
        EXPECT_EQ(w.timerContent(), c.stored);
        EXPECT_FALSE(w.leftovers());
        ASSERT_EQ(w.messages.shown.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(w.messages.last().text, c.message);
            EXPECT_EQ(w.messages.last().title, kAppTitle);
            EXPECT_EQ(w.messages.last().flags, c.staysOpen ? MbOk | MbIconCritical : MbOk);
        }
    }
}

TEST(RemindTimeDialog, OpensWithCaptionsFontsAndTheTimerChoice) {
    DialogWorld w("0404");
    w.putTimer("6\r\n");
    w.during("frmRemindTime", [&](Form&, FakeView& v) {
        const Captions captions{{"lbfrDescrip", "Ann, L544"}, {"lbPassProtec", "L542"}, {"lbPassSet", "L547"},
                                {"lbPassNo", "L133"},         {"lbTimerProtec", "L557"},  {"lbTimerSet", "L545"},
                                {"lbTimerNo", "L546"},        {"cmdSetPass", "L131"},     {"cmdSetTime", "L115"},
                                {"cmdSave", "L132"},          {"cmdClose", "L129"}};
        for (auto [control, text] : captions) {
            EXPECT_EQ(v.caption(control), text) << control;
            EXPECT_EQ(v.c(control).fontSize, 9) << control;
        }
        EXPECT_EQ(v.caption(""), "L563");
        EXPECT_EQ(v.caption("lbTimeDuration"), Duration(6));
        EXPECT_EQ(v.caption("cmdDeletePass"), "") << "keeps its built-in caption";
        EXPECT_EQ(v.c("lbTimeDuration").fontSize, 0);
        EXPECT_EQ(v.c("cmdDeletePass").fontSize, 0);
        EXPECT_TRUE(v.isChecked("Option2_0"));
        EXPECT_FALSE(v.isChecked("Option2_1") || v.isChecked("Option1_0") || v.isChecked("Option1_1"));
        EXPECT_TRUE(v.isEnabled("cmdSetTime"));
    });
    ShowRemindTimeDialog(w.ctx);
    EXPECT_EQ(w.forms.shown, Log{"frmRemindTime modal"});
}

TEST(RemindDialog, OpensWithCaptionsFontsAndNoChoice) {
    for (std::int16_t fromLock : {0, -1}) {
        DialogWorld w("0804");
        w.ctx.globals().fromLockCommand = fromLock;
        w.putTimer("3\r\n");
        const std::string duration = Duration(3);
        w.during("frmRemind", [&](Form&, FakeView& v) {
            for (auto [name, text] : Captions{{"", "L124"}, {"lbTimerProtec", "L543"}, {"lbfrDescrip", "Ann, L544"},
                                              {"cmdClose", fromLock ? "L129" : "L128"},
                                              {"lbTimeDuration", duration.c_str()}})
                EXPECT_EQ(v.caption(name), text) << name;
            for (const char* c : {"lbfrDescrip", "lbPassProtec", "lbPassSet", "lbPassNo", "lbTimerProtec",
                                  "lbTimerSet", "lbTimerNo", "cmdSetPass", "cmdSetTime", "cmdClose", "lbTimeDuration"})
                EXPECT_EQ(v.c(c).fontSize, 9) << c;
            for (const char* o : {"Option1_0", "Option1_1", "Option2_0", "Option2_1"}) EXPECT_FALSE(v.isChecked(o));
        });
        ShowRemindDialog(w.ctx);
    }
}

TEST(RecoverySettingsDialogs, MissingOrDialogInvalidDuration) {
    // frmRemindTime makes sure a duration exists (24 hours); frmRemind only says there is none.
    struct Case { bool remindTime; const char *stored, *text, *after; bool readOnly = false; };
    const std::string day = Duration(24);
    const Case cases[] = {
        {true, "", day.c_str(), "24\r\n"},       {true, "100\r\n", day.c_str(), "24\r\n"},
        {true, "0\r\n", day.c_str(), "24\r\n"},  {true, "abc\r\n", day.c_str(), "24\r\n"},
        {true, "", "No timer.", "<none>", true},   // even the default cannot be stored
        {false, "", "No timer.", "<none>"},      {false, "100\r\n", "No timer.", "100\r\n"},
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
        const bool saved = std::string(c.button) == "cmdSave";
        ASSERT_EQ(w.messages.shown.size(), saved ? 1u : 0u);
        if (saved) {
            EXPECT_EQ(w.messages.last().text, "Ann, saved.");
            EXPECT_EQ(w.messages.last().title, "L307");
            EXPECT_EQ(w.messages.last().flags, MbOk | MbIconInformation);
        }
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
            EXPECT_TRUE(v.isChecked(s.checked)) << s.click;
            EXPECT_FALSE(v.isChecked(s.cleared)) << s.click;
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
        w.fs.put(w.path("pass.st"), "store");
        w.messages.answers = {answer};
        Log log;
        w.during("frmRemindTime", [&](Form& f, FakeView&) {
            w.fs.log.clear();
            f.click("cmdDeletePass");
            log = w.fs.log;
        });
        ShowRemindTimeDialog(w.ctx);
        ASSERT_FALSE(w.messages.shown.empty());
        EXPECT_EQ(w.messages.shown[0].text, "Delete?");
        EXPECT_EQ(w.messages.shown[0].title, "L304");
        EXPECT_EQ(w.messages.shown[0].flags, MbYesNo | MbIconExclamation);
        EXPECT_TRUE(w.fs.has(w.path("pass.st")));
        EXPECT_EQ(w.timerContent(), "24\r\n");
        EXPECT_EQ(w.fs.has(tmp), answer == IdNo);
        EXPECT_EQ(w.fs.has(txt), answer == IdNo);
        const auto first = std::find(log.begin(), log.end(), "remove " + tmp);
        const auto second = std::find(log.begin(), log.end(), "remove " + txt);
        EXPECT_EQ(log.empty(), answer == IdNo);
        EXPECT_TRUE(answer == IdNo || (first < second && second != log.end())) << "passadd.tmp goes first";
    }
}
