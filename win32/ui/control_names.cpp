#include "ui/control_names.h"

#include <map>

#include "resources/resource_ids.h"

namespace qv::win {

namespace {

#define QV_NAME(n) {#n, IDC_##n}
const std::map<std::string, int>& Names() {
    static const std::map<std::string, int> names = {
        QV_NAME(Frame1), QV_NAME(Frame2), QV_NAME(Frame3), QV_NAME(Frame4),
        QV_NAME(lbActiveDescrip), QV_NAME(lbDeactiveDescrip), QV_NAME(Label3), QV_NAME(lbChangeSetting),
        QV_NAME(lbChangeSetting1), QV_NAME(Label2), QV_NAME(Label4), QV_NAME(cmdLock), QV_NAME(cmdUnlock),
        QV_NAME(cmdSetPass), QV_NAME(cmdCancel), QV_NAME(cmdSetTime), QV_NAME(StatusBar),
        QV_NAME(mnuFileActivate), QV_NAME(mnuFileDeactivate), QV_NAME(mnuFileExit), QV_NAME(Setting2),
        QV_NAME(mnuHelpWhat), QV_NAME(mnuHelpOnline), QV_NAME(mnuHelpUpdates), QV_NAME(mnuHelpComparison),
        QV_NAME(mnuHelpAbout), QV_NAME(lbcaption), QV_NAME(cmdOk), QV_NAME(cmdOK), QV_NAME(lbNote),
        QV_NAME(lbDesc), QV_NAME(ListView1), QV_NAME(lblTitle), QV_NAME(lblVersion), QV_NAME(lblDisclaimer),
        QV_NAME(cmdSysInfo), QV_NAME(lbdesc), QV_NAME(lburl),
        // Password dialogs and their on-screen keyboard.
        QV_NAME(txtPassword), QV_NAME(txtPassword2), QV_NAME(lbPass), QV_NAME(lbEnter), QV_NAME(lbReenter),
        QV_NAME(cmdDel), QV_NAME(cmdBackspace), QV_NAME(Cmd11), QV_NAME(cmd22), QV_NAME(cmd33), QV_NAME(cmd44),
        QV_NAME(cmd55), QV_NAME(cmd66), QV_NAME(cmd77), QV_NAME(cmd88), QV_NAME(cmd99), QV_NAME(cmd00),
        QV_NAME(cmdUpLine), QV_NAME(cmdPlus), QV_NAME(cmd1), QV_NAME(cmd2), QV_NAME(cmd3), QV_NAME(cmd4),
        QV_NAME(cmd5), QV_NAME(cmd6), QV_NAME(cmd7), QV_NAME(cmd8), QV_NAME(cmd9), QV_NAME(cmd0), QV_NAME(cmd_),
        QV_NAME(cmdEqual), QV_NAME(cmdq), QV_NAME(cmdw), QV_NAME(cmde), QV_NAME(cmdR), QV_NAME(cmdT),
        QV_NAME(cmdY), QV_NAME(cmdU), QV_NAME(cmdI), QV_NAME(cmdO), QV_NAME(cmdP), QV_NAME(cmdBrace1),
        QV_NAME(cmdBrace2), QV_NAME(cmdBracket1), QV_NAME(cmdBracket2), QV_NAME(cmdA), QV_NAME(cmdS),
        QV_NAME(cmdD), QV_NAME(cmdF), QV_NAME(cmdG), QV_NAME(cmdH), QV_NAME(cmdJ), QV_NAME(cmdK), QV_NAME(cmdL),
        QV_NAME(cmdcolon), QV_NAME(cmdsemiColon), QV_NAME(cmdQMark), QV_NAME(cmdbackSlash), QV_NAME(cmdZ),
        QV_NAME(cmdX), QV_NAME(cmdC), QV_NAME(cmdV), QV_NAME(cmdB), QV_NAME(cmdN), QV_NAME(cmdM),
        QV_NAME(cmdSpecial3), QV_NAME(cmdSpecial4), QV_NAME(cmdComma), QV_NAME(cmdDot), QV_NAME(cmdSpecial1),
        QV_NAME(cmdSpecial2),
        // Lock duration and protection-settings dialogs.
        QV_NAME(combo1), QV_NAME(lbDuration), QV_NAME(lbHour), QV_NAME(lbfrDescrip), QV_NAME(lbPassProtec),
        QV_NAME(Option1_0), QV_NAME(Option1_1), QV_NAME(lbPassSet), QV_NAME(lbPassNo), QV_NAME(lbTimerProtec),
        QV_NAME(Option2_0), QV_NAME(Option2_1), QV_NAME(lbTimerSet), QV_NAME(lbTimerNo), QV_NAME(lbTimeDuration),
        QV_NAME(cmdSave), QV_NAME(cmdDeletePass), QV_NAME(cmdClose),
        // Lock screen and shut-down dialog.
        QV_NAME(Picture1), QV_NAME(Picture2), QV_NAME(Picture3), QV_NAME(Image1), QV_NAME(lbLockRun),
        QV_NAME(lbDescrip), QV_NAME(cButtonUnlock), QV_NAME(chButtonShutDown), QV_NAME(lbInvalidST),
        QV_NAME(lbCurrTime), QV_NAME(lblCurrentTime), QV_NAME(lbUnloadTime), QV_NAME(lblUnlockTime),
        QV_NAME(lbRemainTime), QV_NAME(lblTimeRemain), QV_NAME(lbShutDown), QV_NAME(Combo1),
    };
    return names;
}
#undef QV_NAME

}  // namespace

int ControlId(const std::string& name) {
    auto it = Names().find(name);
    return it == Names().end() ? 0 : it->second;
}

const std::string& ControlName(int id) {
    static const std::map<int, std::string> byId = [] {
        std::map<int, std::string> m;
        for (auto& [name, value] : Names()) m[value] = name;
        return m;
    }();
    static const std::string none;
    auto it = byId.find(id);
    return it == byId.end() ? none : it->second;
}

}  // namespace qv::win
