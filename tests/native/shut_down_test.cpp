#include <gtest/gtest.h>

#include "fakes.h"
#include "lock/shut_down_form.h"
#include "lock_fakes.h"

using namespace qv;
using namespace qv::test;

namespace {

using Log = std::vector<std::string>;

struct ShutDownWorld : FakeWorld {
    FakeSystemPower power;
    ShutDownForm form{ctx};
    ShutDownWorld() { ctx.setSystemPower(&power); }
    void show(std::function<void(FakeView&)> script) {   // `script` runs while the dialog is open
        forms.scripts["frmShutDown"] = [this, script](Form& f) { script(forms.viewOf(f)); };
        forms.showModal(form);
    }
};

}  // namespace

TEST(ShutDownDialog, OpensTopmostWithItsCaptionsAndTheShutDownChoice) {
    struct Case { const char *languageId, *caption, *prompt, *ok; int fontSize; };
    const Case cases[] = {
        {"0409", "Shut Down Windows", "Are you sure want to shut down your computer?", "&Ok", 8},   // built-in texts
        {"0404", "Off", "Really?", "&Yes", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        ShutDownWorld w;
        w.ctx.globals().languageId = c.languageId;
        w.ctx.globals().charsetSetting = "136";
        if (c.fontSize == 9) w.loadStrings({{306, "Off"}, {521, "Really?"}, {100, "&Yes"}, {101, "&No"}});
        w.show([&](FakeView& v) {
            EXPECT_EQ((Log{v.caption(""), v.caption("lbShutDown"), v.caption("cmdOk")}),
                      (Log{c.caption, c.prompt, c.ok}));
            EXPECT_TRUE(v.topMost);
            EXPECT_EQ(v.c("Combo1").items, (Log{"Shut down", "Restart", "Log off"}));
            EXPECT_EQ(v.text("Combo1"), "Shut down");
            for (const char* name : {"lbShutDown", "cmdOk", "cmdCancel"}) {
                EXPECT_EQ(v.c(name).fontSize, c.fontSize) << name;
                EXPECT_EQ(v.c(name).charset, 136) << name;
            }
        });
    }
}

TEST(ShutDownDialog, OkCallsThePowerFunctionOfTheChoice) {
    struct Case {
        std::int16_t osCode;
        const char *choice, *call;
        bool closesWindows;   // Windows 98 and Me wait for the program's windows to close...
        bool refused = false;   // ...unless the system refuses: then the lock stays
    };
    const Case cases[] = {
        {-1, "Shut down", "shutdownNt", false}, {-1, "Restart", "restart", false}, {-1, "Log off", "logOff", false},
        {2, "Shut down", "shutdownNt", false},  {3, "Shut down", "exitWindows98", true},
        {4, "Shut down", "exitWindows98", true}, {3, "Restart", "restart", true},   {4, "Log off", "logOff", true},
        {3, "Shut down", "exitWindows98", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.osCode) + " " + c.choice + (c.refused ? " refused" : ""));
        ShutDownWorld w;
        w.ctx.globals().osCode = c.osCode;
        w.power.result = !c.refused;
        int doEventsBeforeCall = -1;
        std::string promptAtCall;
        bool buttonsHiddenAtCall = false;
        w.show([&](FakeView& v) {
            w.power.onCall = [&] {
                doEventsBeforeCall = w.desktop.doEventsCalls;
                promptAtCall = v.caption("lbShutDown");
                buttonsHiddenAtCall = !v.isVisible("cmdOk") && !v.isVisible("cmdCancel");
            };
            v.setText("Combo1", c.choice);
            w.form.click("cmdOk");
            EXPECT_TRUE(v.isOpen()) << "the dialog itself stays until the system goes down";
            EXPECT_FALSE(v.isVisible("cmdOk"));
        });
        EXPECT_EQ(w.power.calls, (Log{c.call}));
        EXPECT_EQ(doEventsBeforeCall, 2);
        EXPECT_EQ(promptAtCall, "Your computer is shutting down ...");
        EXPECT_TRUE(buttonsHiddenAtCall);
        EXPECT_EQ(w.lockScreen.calls, c.closesWindows ? Log{"unload"} : Log{});
        EXPECT_EQ(w.mainWindow.calls, c.closesWindows ? Log{"unload"} : Log{});
    }
}

TEST(ShutDownDialog, CancelClosesAndChangesNothing) {
    ShutDownWorld w;
    w.lockScreen.loaded = true;
    bool closed = false;
    w.show([&](FakeView& v) {
        w.form.click("cmdCancel");
        closed = !v.isOpen();
    });
    EXPECT_TRUE(closed);
    EXPECT_TRUE(w.lockScreen.loaded);
    EXPECT_TRUE(w.power.calls.empty() && w.lockScreen.calls.empty() && w.mainWindow.calls.empty() &&
                w.lockDown.calls.empty());
}
