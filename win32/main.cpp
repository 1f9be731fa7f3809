// The program's entry: builds the Win32 services, runs the start routine and the message loop.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/context.h"
#include "app/main_form.h"
#include "app/progress_form.h"
#include "app/skin.h"
#include "app/startup.h"
#include "lock/lock_form.h"
#include "usbkey/drive_events.h"
#include "help/wininet_http_client.h"
#include "services/shell_notify.h"
#include "services/win_lock_services.h"
#include "services/win_services.h"
#include "ui/form_host.h"

namespace {

using namespace qv;
using namespace qv::win;

class Windows : public StartupWindows {
public:
    Windows(Context& ctx, SkinComponent& skin) : ctx_(ctx), skin_(skin) {}

    void showProgress() override {
        ProgressForm progress(ctx_, skin_);
        progress.initialize();
        FormHostOf().showModeless(progress);
        if (progress.attached()) {
            UpdateWindow(static_cast<win::DialogView&>(progress.view()).hwnd());
            progress.view().close();
        }
    }

    bool showMain() override {
        main_ = std::make_unique<MainForm>(ctx_);
        FormHostOf().showModeless(*main_);
        return main_->attached() && main_->view().isOpen();
    }

private:
    Context& ctx_;
    SkinComponent& skin_;
    std::unique_ptr<MainForm> main_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    LimitLibrarySearch();
    SetProcessDPIAware();
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    RegisterMainWindowClass(instance);

    WinFileSystem fs;
    WinMessageBoxes messages;
    WinDesktop desktop;
    WinShell shell;
    WinRegistry registry;
    WinDrives drives;
    WinClock clock;
    WinSystemInfo system;
    WinStringLoader stringLoader;
    WinProgramStrings programStrings;
    WinLockDownLibrary lockDown;
    WinUsbSerialLibrary usbSerial;
    WinSecureDeleteLibrary secureDelete;
    WinInetHttpClient http;
    Context ctx(Services{fs, messages, desktop, shell, registry, drives, clock, system, FormHostOf(), stringLoader,
                         programStrings, lockDown, usbSerial, secureDelete, http});
    // The libraries a lock calls, loaded while the stick is surely there: code of a library
    // first loaded after the pull would have to come from a drive that is gone.
    lockDown.preload();
    usbSerial.preload();
    secureDelete.preload();
    ShellDriveNotifications notifications(ctx);
    notifications.setHandler([&ctx](std::int32_t event) { HandleShellNotify(ctx, event); });
    ctx.setDriveNotifications(&notifications);
    WinInputLock inputLock;
    WinSystemPower power;
    ctx.setInputLock(&inputLock);
    ctx.setSystemPower(&power);
    LockForm lockForm(ctx);
    ctx.setLockScreen(&lockForm);
    NoSkin skin;
    Windows windows(ctx, skin);
    FormHostOf().keepSpare(lockForm);
    if (RunMain(ctx, windows) == StartupResult::MainWindowShown) FormHostOf().runMessageLoop();
    FormHostOf().discardSpare();
    CoUninitialize();
    return 0;
}
