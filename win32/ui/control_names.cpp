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
