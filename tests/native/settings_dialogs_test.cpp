#include <algorithm>

#include <gtest/gtest.h>

#include "lock/lock_timer.h"
#include "lock/remind_forms.h"
#include "lock/set_timer_form.h"
#include "lock_timer_world.h"

using namespace qv;
using namespace qv::test;

namespace {

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
};

// The user picks an option button: Windows checks it, clears its partner, then reports the click.
void Pick(Form& form, FakeView& view, const std::string& option) {
    const std::string partner = option.substr(0, option.size() - 1) + (option.back() == '0' ? "1" : "0");
    view.setChecked(option, true);
    view.setChecked(partner, false);
    form.click(option);
}

std::string Duration(int hours) { return "Your timer has been set to lock for " + std::to_string(hours) + " hours."; }

}  // namespace

TEST(SetTimerDialog, OpensWithCaptionsFontsHoursAndTheStoredChoice) {
    DialogWorld w("0804");
    w.putTimer("12\r\n");
    std::vector<std::string> items;
    w.during("frmSetTimer", [&](Form&, FakeView& v) {
        EXPECT_EQ(v.caption(""), "L119");
        EXPECT_EQ(v.caption("lbDuration"), "L120");
        EXPECT_EQ(v.caption("lbHour"), "hour(s)");
        EXPECT_EQ(v.caption("lbNote"), "L123");
        EXPECT_EQ(v.caption("cmdOk"), "L100");
        EXPECT_EQ(v.caption("cmdCancel"), "L101");
        for (const char* c : {"lbDuration", "lbHour", "lbNote", "cmdOk", "cmdCancel"}) {
            EXPECT_EQ(v.c(c).fontSize, 9) << c;
            EXPECT_EQ(v.c(c).charset, 134) << c;
        }
        items = v.c("combo1").items;
        EXPECT_EQ(v.text("combo1"), "12");
    });
    ShowSetTimerDialog(w.ctx);
    ASSERT_EQ(items.size(), 24u);
    EXPECT_EQ(items.front(), "1");
    EXPECT_EQ(items.back(), "24");

    // A duration only the lock screen accepts leaves the choice empty.
    DialogWorld longer;
    longer.putTimer("100\r\n");
    std::string text = "<unset>";
    longer.during("frmSetTimer", [&](Form&, FakeView& v) { text = v.text("combo1"); });
    ShowSetTimerDialog(longer.ctx);
    EXPECT_EQ(text, "");
}

TEST(SetTimerDialog, ConfirmingFiveStoresFiveAndSaysSo) {
    DialogWorld w;
    bool closed = false;
    w.during("frmSetTimer", [&](Form& f, FakeView& v) {
        v.setText("combo1", "5");
        f.click("cmdOk");
        closed = !v.isOpen();
    });
    ShowSetTimerDialog(w.ctx);
    EXPECT_TRUE(closed);
    EXPECT_EQ(w.timerContent(), "5\r\n");
    EXPECT_FALSE(w.leftovers());
    ASSERT_EQ(w.messages.shown.size(), 1u);
    EXPECT_EQ(w.messages.last().text, "Lock duration has been set to 5 hour(s).");
    EXPECT_EQ(w.messages.last().title, kAppTitle);
    EXPECT_EQ(w.messages.last().flags, MbOk);
}

TEST(SetTimerDialog, EmptyOrForeignChoiceAsksForAnHourAndWritesNothing) {
    for (const char* typed : {"", "   ", "abc", "25", "0", "-3"}) {
        DialogWorld w;
        w.putTimer("7\r\n");
        bool open = false;
        std::string focus;
        w.during("frmSetTimer", [&](Form& f, FakeView& v) {
            v.setText("combo1", typed);
            v.focus.clear();
            f.click("cmdOk");
            open = v.isOpen();
            focus = v.focus;
        });
        ShowSetTimerDialog(w.ctx);
        EXPECT_TRUE(open) << typed;
        EXPECT_EQ(focus, "combo1") << typed;
        ASSERT_EQ(w.messages.shown.size(), 1u) << typed;
        EXPECT_EQ(w.messages.last().text, "Please select hour.");
        EXPECT_EQ(w.messages.last().title, kAppTitle);
        EXPECT_EQ(w.messages.last().flags, MbOk | MbIconCritical);
        EXPECT_EQ(w.timerContent(), "7\r\n") << typed;
    }
}

TEST(SetTimerDialog, CancelAndFailedWritesKeepTheOldDuration) {
    DialogWorld w;
    w.putTimer("7\r\n");
    w.during("frmSetTimer", [&](Form& f, FakeView& v) {
        v.setText("combo1", "3");
        f.click("cmdCancel");
    });
    ShowSetTimerDialog(w.ctx);
    EXPECT_EQ(w.timerContent(), "7\r\n");
    EXPECT_TRUE(w.messages.shown.empty());

    w.fs.failWrites.insert(w.stored);
    bool open = false;
    w.during("frmSetTimer", [&](Form& f, FakeView& v) {
        v.setText("combo1", "3");
        f.click("cmdOk");
        open = v.isOpen();
    });
    ShowSetTimerDialog(w.ctx);
    EXPECT_TRUE(open) << "no confirmation for a duration that was not stored";
    ASSERT_EQ(w.messages.shown.size(), 1u);
    EXPECT_EQ(w.messages.last().flags, MbOk | MbIconCritical);
    EXPECT_EQ(ReadLockTimerHours(w.ctx), 7);
    EXPECT_FALSE(w.leftovers());
}

TEST(RemindTimeDialog, OpensWithCaptionsFontsAndTheTimerChoice) {
    DialogWorld w("0404");
    w.putTimer("6\r\n");
    w.during("frmRemindTime", [&](Form&, FakeView& v) {
        const std::pair<const char*, const char*> captions[] = {
            {"", "L563"},          {"lbfrDescrip", "Ann, L544"}, {"lbPassProtec", "L542"}, {"lbPassSet", "L547"},
            {"lbPassNo", "L133"},  {"lbTimerProtec", "L557"},    {"lbTimerSet", "L545"},   {"lbTimerNo", "L546"},
            {"cmdSetPass", "L131"}, {"cmdSetTime", "L115"},      {"cmdSave", "L132"},      {"cmdClose", "L129"},
            {"lbTimeDuration", "Your timer has been set to lock for 6 hours."}};
        for (auto [control, text] : captions) EXPECT_EQ(v.caption(control), text) << control;
        EXPECT_EQ(v.caption("cmdDeletePass"), "") << "keeps its built-in caption";
        for (auto [control, text] : captions) {
            if (*control && std::string(control) != "lbTimeDuration") {
                EXPECT_EQ(v.c(control).fontSize, 9) << control;
            }
        }
        EXPECT_EQ(v.c("lbTimeDuration").fontSize, 0);
        EXPECT_EQ(v.c("cmdDeletePass").fontSize, 0);
        EXPECT_TRUE(v.isChecked("Option2_0"));
        EXPECT_FALSE(v.isChecked("Option2_1"));
        EXPECT_FALSE(v.isChecked("Option1_0") || v.isChecked("Option1_1"));
        EXPECT_TRUE(v.isEnabled("cmdSetTime"));
    });
    ShowRemindTimeDialog(w.ctx);
    EXPECT_EQ(w.forms.shown, std::vector<std::string>{"frmRemindTime modal"});
}

TEST(RemindTimeDialog, MissingOrDialogInvalidDurationBecomesTwentyFour) {
    for (const char* stored : {"", "100\r\n", "0\r\n", "abc\r\n"}) {
        DialogWorld w;
        if (*stored) w.putTimer(stored);
        std::string text;
        w.during("frmRemindTime", [&](Form&, FakeView& v) { text = v.caption("lbTimeDuration"); });
        ShowRemindTimeDialog(w.ctx);
        EXPECT_EQ(text, Duration(24)) << stored;
        EXPECT_EQ(w.timerContent(), "24\r\n") << stored;
        EXPECT_FALSE(w.leftovers());
    }
    // When even the default cannot be stored, the dialog says there is no timer.
    DialogWorld readOnly;
    readOnly.fs.failWrites.insert(readOnly.plain);
    std::string text;
    readOnly.during("frmRemindTime", [&](Form&, FakeView& v) { text = v.caption("lbTimeDuration"); });
    ShowRemindTimeDialog(readOnly.ctx);
    EXPECT_EQ(text, "No timer.");
}

TEST(RemindTimeDialog, NoTimerIsAppliedOnlyBySave) {
    DialogWorld closing;
    closing.during("frmRemindTime", [&](Form& f, FakeView& v) {
        Pick(f, v, "Option2_1");
        EXPECT_FALSE(v.isEnabled("cmdSetTime"));
        f.click("cmdClose");
    });
    ShowRemindTimeDialog(closing.ctx);
    EXPECT_EQ(closing.timerContent(), "24\r\n");
    EXPECT_TRUE(closing.messages.shown.empty());

    DialogWorld saving;
    bool closed = false;
    saving.during("frmRemindTime", [&](Form& f, FakeView& v) {
        Pick(f, v, "Option2_1");
        f.click("cmdSave");
        closed = !v.isOpen();
    });
    ShowRemindTimeDialog(saving.ctx);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(saving.fs.has(saving.stored));
    EXPECT_EQ(ReadLockTimerDuration(saving.ctx), 0) << "the lock that follows has no expiry";
    ASSERT_EQ(saving.messages.shown.size(), 1u);
    EXPECT_EQ(saving.messages.last().text, "Ann, saved.");
    EXPECT_EQ(saving.messages.last().title, "L307");
    EXPECT_EQ(saving.messages.last().flags, MbOk | MbIconInformation);

    DialogWorld keeping;   // Save with the timer choice keeps the duration
    keeping.putTimer("9\r\n");
    keeping.during("frmRemindTime", [&](Form& f, FakeView&) { f.click("cmdSave"); });
    ShowRemindTimeDialog(keeping.ctx);
    EXPECT_EQ(keeping.timerContent(), "9\r\n");
}

TEST(RemindTimeDialog, CloseRecreatesADurationRemovedMeanwhile) {
    DialogWorld w;
    w.during("frmRemindTime", [&](Form& f, FakeView&) {
        DeleteLockTimer(w.ctx);
        f.click("cmdClose");
    });
    ShowRemindTimeDialog(w.ctx);
    EXPECT_EQ(w.timerContent(), "24\r\n");
}

TEST(RemindTimeDialog, OptionsAndTheirTextsSwitchTheDurationButton) {
    DialogWorld w;
    w.during("frmRemindTime", [&](Form& f, FakeView& v) {
        f.click("lbTimerNo");
        EXPECT_TRUE(v.isChecked("Option2_1"));
        EXPECT_FALSE(v.isChecked("Option2_0"));
        EXPECT_FALSE(v.isEnabled("cmdSetTime"));
        Pick(f, v, "Option2_0");
        EXPECT_TRUE(v.isEnabled("cmdSetTime"));
        f.click("lbPassNo");
        EXPECT_TRUE(v.isChecked("Option1_1"));
        EXPECT_TRUE(v.isEnabled("cmdSetTime"));
    });
    ShowRemindTimeDialog(w.ctx);
}

TEST(RemindTimeDialog, SetDurationRefreshesTheText) {
    DialogWorld w;
    std::string text;
    w.during("frmSetTimer", [&](Form& f, FakeView& v) {
        v.setText("combo1", "5");
        f.click("cmdOk");
    });
    w.during("frmRemindTime", [&](Form& f, FakeView& v) {
        f.click("cmdSetTime");
        text = v.caption("lbTimeDuration");
    });
    ShowRemindTimeDialog(w.ctx);
    EXPECT_EQ(text, Duration(5));
    EXPECT_EQ(w.timerContent(), "5\r\n");
    EXPECT_EQ(w.forms.shown, (std::vector<std::string>{"frmRemindTime modal", "frmSetTimer modal"}));
}

TEST(RemindTimeDialog, SetPassphraseRunsTheMainWindowsCommand) {
    DialogWorld w;
    w.during("frmRemindTime", [&](Form& f, FakeView&) { f.click("cmdSetPass"); });
    ShowRemindTimeDialog(w.ctx);
    EXPECT_EQ(w.mainWindow.calls, std::vector<std::string>{"setPassword"});
}

TEST(RemindTimeDialog, DeletePassphraseAsksAndDeletesOnlyOnYes) {
    for (int answer : {IdNo, IdYes}) {
        DialogWorld w;
        w.fs.put(w.path("passadd.tmp"), "x");
        w.fs.put(w.path("passadd.txt"), "y", AttrHidden);
        w.fs.put(w.path("pass.st"), "store");
        w.messages.answers = {answer};
        std::vector<std::string> log;
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
        if (answer == IdNo) {
            EXPECT_TRUE(w.fs.has(w.path("passadd.tmp")));
            EXPECT_TRUE(w.fs.has(w.path("passadd.txt")));
            EXPECT_TRUE(log.empty());
        } else {
            EXPECT_FALSE(w.fs.has(w.path("passadd.tmp")));
            EXPECT_FALSE(w.fs.has(w.path("passadd.txt")));
            auto first = std::find(log.begin(), log.end(), "remove " + w.path("passadd.tmp"));
            auto second = std::find(log.begin(), log.end(), "remove " + w.path("passadd.txt"));
            ASSERT_NE(second, log.end());
            EXPECT_LT(first, second);
        }
    }
}

TEST(RemindDialog, OpensWithCaptionsFontsAndNoChoice) {
    for (std::int16_t fromLock : {0, -1}) {
        DialogWorld w("0804");
        w.ctx.globals().fromLockCommand = fromLock;
        w.putTimer("3\r\n");
        w.during("frmRemind", [&](Form&, FakeView& v) {
            EXPECT_EQ(v.caption(""), "L124");
            EXPECT_EQ(v.caption("lbTimerProtec"), "L543");
            EXPECT_EQ(v.caption("lbfrDescrip"), "Ann, L544");
            EXPECT_EQ(v.caption("cmdClose"), fromLock ? "L129" : "L128");
            EXPECT_EQ(v.caption("lbTimeDuration"), "Your timer has been set to lock for 3 hours.");
            for (const char* c : {"lbfrDescrip", "lbPassProtec", "lbPassSet", "lbPassNo", "lbTimerProtec",
                                  "lbTimerSet", "lbTimerNo", "cmdSetPass", "cmdSetTime", "cmdClose", "lbTimeDuration"})
                EXPECT_EQ(v.c(c).fontSize, 9) << c;
            for (const char* o : {"Option1_0", "Option1_1", "Option2_0", "Option2_1"}) EXPECT_FALSE(v.isChecked(o));
        });
        ShowRemindDialog(w.ctx);
    }
}

TEST(RemindDialog, NoOrDialogInvalidDurationShowsNoTimerAndWritesNothing) {
    for (const char* stored : {"", "100\r\n"}) {
        DialogWorld w;
        if (*stored) w.putTimer(stored);
        std::string text;
        w.during("frmRemind", [&](Form&, FakeView& v) { text = v.caption("lbTimeDuration"); });
        ShowRemindDialog(w.ctx);
        EXPECT_EQ(text, "No timer.");
        EXPECT_EQ(w.timerContent(), *stored ? stored : "<none>");
        EXPECT_FALSE(w.leftovers());
    }
}

TEST(RemindDialog, CloseRemovesTheDurationOnlyWithTheNoTimerChoice) {
    DialogWorld untouched;
    untouched.putTimer("4\r\n");
    untouched.during("frmRemind", [&](Form& f, FakeView&) { f.click("cmdClose"); });
    ShowRemindDialog(untouched.ctx);
    EXPECT_EQ(untouched.timerContent(), "4\r\n");

    DialogWorld removed;
    removed.putTimer("4\r\n");
    removed.during("frmRemind", [&](Form& f, FakeView& v) {
        Pick(f, v, "Option2_1");
        EXPECT_TRUE(v.isEnabled("cmdSetTime")) << "frmRemind does nothing on an option click";
        f.click("cmdClose");
    });
    ShowRemindDialog(removed.ctx);
    EXPECT_FALSE(removed.fs.has(removed.stored));
    EXPECT_TRUE(removed.messages.shown.empty());
}

TEST(RemindDialog, SetDurationDoesNotRefreshTheText) {
    DialogWorld w;
    std::string text;
    w.during("frmSetTimer", [&](Form& f, FakeView& v) {
        v.setText("combo1", "8");
        f.click("cmdOk");
    });
    w.during("frmRemind", [&](Form& f, FakeView& v) {
        f.click("cmdSetTime");
        text = v.caption("lbTimeDuration");
        f.click("cmdSetPass");
    });
    ShowRemindDialog(w.ctx);
    EXPECT_EQ(text, "No timer.");
    EXPECT_EQ(w.timerContent(), "8\r\n");
    EXPECT_EQ(w.mainWindow.calls, std::vector<std::string>{"setPassword"});
}
