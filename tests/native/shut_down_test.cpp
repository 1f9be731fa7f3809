#include <gtest/gtest.h>

#include "fakes.h"
#include "lock/shut_down_form.h"

using namespace qv;
using namespace qv::test;

namespace {

struct ShutDownWorld : FakeWorld {
    ShutDownForm form{ctx};
    void show(std::function<void(FakeView&)> script) {   // `script` runs while the dialog is open
        forms.scripts["frmShutDown"] = [this, script](Form& f) { script(forms.viewOf(f)); };
        forms.showModal(form);
    }
};

}  // namespace

TEST(ShutDownDialog, OpensTopmostWithShutDownChosenAndCancelChangesNothing) {
    ShutDownWorld w;
    w.lockScreen.loaded = true;
    bool closed = false;
    w.show([&](FakeView& v) {
        EXPECT_EQ(v.caption("lbShutDown"), "Are you sure want to shut down your computer?");   // built in
        EXPECT_TRUE(v.topMost);
        EXPECT_EQ(v.c("Combo1").items, (Log{"Shut down", "Restart", "Log off"}));
        EXPECT_EQ(v.text("Combo1"), "Shut down");
        w.form.click("cmdCancel");
        closed = !v.isOpen();
    });
    EXPECT_TRUE(closed && w.lockScreen.loaded);
    EXPECT_TRUE(w.power.calls.empty() && w.lockScreen.calls.empty() && w.mainWindow.calls.empty() &&
                w.lockDown.calls.empty());
}

TEST(ShutDownDialog, OkRestoresWhatTheLockSwitchedOffThenCallsThePowerFunctionOfTheChoice) {
    // Windows 98 and Me wait for the program's windows to close. A refusal keeps the lock, switches off again what
    // it had given back, and puts the dialog back as it was, with the system's reason.
    struct Case { std::int16_t osCode; const char *choice, *call; bool closesWindows, refused = false; };
    const Case cases[] = {
        {-1, "Shut down", "shutdownNt", false}, {-1, "Restart", "restart", false}, {-1, "Log off", "logOff", false},
        {2, "Shut down", "shutdownNt", false},  {3, "Shut down", "exitWindows98", true},
        {4, "Shut down", "exitWindows98", true}, {3, "Restart", "restart", true},   {4, "Log off", "logOff", true},
        {3, "Shut down", "exitWindows98", false, true}, {-1, "Shut down", "shutdownNt", false, true},
        {-1, "Log off", "logOff", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.osCode) + " " + c.choice + (c.refused ? " refused" : ""));
        ShutDownWorld w;
        w.ctx.globals().osCode = c.osCode;
        w.power.result = !c.refused;
        w.shell.errorDescription = "Access is denied.";
        std::string atCall, after;   // what the screen shows when the call is made, after two rounds of painting
        w.show([&](FakeView& v) {
            w.power.onCall = [&] {
                const bool buttons = v.isVisible("cmdOk") || v.isVisible("cmdCancel");
                atCall = std::to_string(w.desktop.doEventsCalls) + " " + v.caption("lbShutDown");
                if (buttons) atCall += " buttons";
                for (const std::string& call : w.lockScreen.calls) atCall += ", " + call;
            };
            v.setText("Combo1", c.choice);
            w.form.click("cmdOk");
            EXPECT_TRUE(v.isOpen()) << "the dialog itself stays until the system goes down";
            after = v.caption("lbShutDown") + (v.isVisible("cmdOk") && v.isVisible("cmdCancel") ? " buttons" : "");
        });
        EXPECT_EQ(after, c.refused ? "Are you sure want to shut down your computer? buttons"
                                   : "Your computer is shutting down ...");
        EXPECT_EQ(w.messages.boxes(), c.refused ? std::vector<std::string>{FakeMessageBoxes::box(
                                                      "Shut Down Windows",
                                                      "The computer could not be shut down: Windows refused.\r\n\r\n"
                                                      "Access is denied.",
                                                      MbIconExclamation)}
                                                : std::vector<std::string>{});
        EXPECT_EQ(w.power.calls, (Log{c.call}));
        EXPECT_EQ(atCall, "2 Your computer is shutting down ..., sessionEnding");
        Log lockCalls{"sessionEnding"};
        if (c.refused) lockCalls.push_back("sessionGoesOn");
        if (c.closesWindows) lockCalls.push_back("unload");
        EXPECT_EQ(w.lockScreen.calls, lockCalls);
        EXPECT_EQ(w.mainWindow.calls, c.closesWindows ? Log{"unload"} : Log{});
    }
}
