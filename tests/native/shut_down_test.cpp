#include <gtest/gtest.h>

#include "fakes.h"
#include "lock/shut_down_form.h"

using namespace qv;
using namespace qv::test;

TEST(ShutDownDialog, OkGivesBackWhatTheLockSwitchedOffThenCallsThePowerFunctionOfTheChoice) {
    // Windows 98 and Me wait for the program's windows to close. A refusal keeps the lock, switches off again what
    // it had given back, and puts the dialog back as it was, with the system's reason. Cancel changes nothing.
    const std::string asked = "Are you sure want to shut down your computer? buttons",
                      refusal = "Shut Down Windows|The computer could not be shut down: Windows refused.\r\n\r\n"
                                "Access is denied.|" + std::to_string(MbIconExclamation);
    struct Case { std::int16_t osCode; const char *choice, *call; bool closesWindows, refused = false; };
    const Case cases[] = {
        {-1, "Shut down", "shutdownNt", false}, {-1, "Restart", "restart", false}, {3, "Log off", "logOff", true},
        {4, "Shut down", "exitWindows98", true}, {3, "Restart", "restart", true}, {-1, nullptr, nullptr, false},
        {3, "Shut down", "exitWindows98", false, true}, {-1, "Log off", "logOff", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.osCode) + " " + (c.choice ? c.choice : "cancel") + (c.refused ? " refused" : ""));
        FakeWorld w;
        ShutDownForm form(w.ctx);
        w.ctx.globals().osCode = c.osCode;
        w.power.result = !c.refused;
        w.shell.errorDescription = "Access is denied.";
        std::string atCall, after;   // what the screen shows when the call is made, and after it
        w.forms.scripts["frmShutDown"] = [&](Form&) {
            FakeView& v = w.forms.viewOf(form);
            EXPECT_TRUE(v.topMost);
            EXPECT_EQ(v.c("Combo1").items, (Log{"Shut down", "Restart", "Log off"}));
            w.power.onCall = [&] {
                atCall = std::to_string(w.desktop.doEventsCalls) + " " + v.caption("lbShutDown");
                if (v.isVisible("cmdOk") || v.isVisible("cmdCancel")) atCall += " buttons";
                for (const std::string& call : w.lockScreen.calls) atCall += ", " + call;
            };
            if (c.choice && std::string(c.choice) != "Shut down") v.setText("Combo1", c.choice);   // the default
            form.click(c.choice ? "cmdOk" : "cmdCancel");
            EXPECT_EQ(v.isOpen(), c.choice != nullptr) << "the dialog itself stays until the system goes down";
            after = v.caption("lbShutDown") + (v.isVisible("cmdOk") && v.isVisible("cmdCancel") ? " buttons" : "");
        };
        w.forms.showModal(form);
        EXPECT_EQ(after, c.refused || !c.choice ? asked : "Your computer is shutting down ...");
        EXPECT_EQ(w.messages.boxes(), c.refused ? Log{refusal} : Log{});
        EXPECT_EQ(w.power.calls, c.call ? Log{c.call} : Log{});
        EXPECT_EQ(atCall, c.call ? "2 Your computer is shutting down ..., sessionEnding" : "");
        Log lockCalls{"sessionEnding"};
        if (c.refused) lockCalls.push_back("sessionGoesOn");
        if (c.closesWindows) lockCalls.push_back("unload");
        EXPECT_EQ(w.lockScreen.calls, c.call ? lockCalls : Log{});
        EXPECT_EQ(w.mainWindow.calls, c.closesWindows ? Log{"unload"} : Log{});
        EXPECT_TRUE(w.lockDown.calls.empty());
    }
}
