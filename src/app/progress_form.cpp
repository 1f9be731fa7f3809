#include "app/progress_form.h"

#include "app/ini_file.h"
#include "app/os_version.h"
#include "app/settings.h"
#include "app/text.h"

namespace qv {

void ProgressForm::initialize() {
    Globals& g = ctx_.globals();
    OsVersionRecord record;
    if (GetOSVersion(ctx_.services().system, record)) g.osCode = record.osCode;
    if (g.osCode != kOsXpFamily) return;
    g.skinFilePath = ReadIni(ctx_.services().fs, "Skin", "SkinFile", "", SettingsPath(ctx_));
    if (g.skinFilePath.empty()) return;
    g.skinFilePath = g.programFolder + "\\" + g.skinFilePath;
    if (!skinCreated_) {
        skin_.create();
        skinCreated_ = true;
    }
    skin_.setting(2);
    skin_.setting(1);
}

void ProgressForm::load() {
    View& v = view();
    v.setCaption("", ctx_.lang(302));
    v.setCaption("lbcaption", ctx_.langUser(500));
    ctx_.applyFontRule(v, {"lbcaption"});
    const Globals& g = ctx_.globals();
    if (g.osCode == kOsXpFamily && !g.skinFilePath.empty()) {
        skin_.loadSkin(g.skinFilePath);
        skin_.apply();
        skin_.setting(0);
    }
}

}  // namespace qv
