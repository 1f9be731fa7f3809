#include "ui/form_host.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "resources/resource_ids.h"
#include "ui/form_extras.h"

namespace qv::win {

namespace {

int TemplateOf(const char* formName) {
    static const std::map<std::string, int> templates = {
        {"frmMain", IDD_frmMain},           {"frmprogress", IDD_frmprogress},
        {"frmSelectUSBLock", IDD_frmSelectUSBLock}, {"frmAbout", IDD_frmAbout},
        {"frmcheckupdate", IDD_frmcheckupdate}, {"frmPassword", IDD_frmPassword},
        {"frmSetPassword", IDD_frmSetPassword}, {"frmRemindTime", IDD_frmRemindTime},
        {"frmRemind", IDD_frmRemind},       {"frmSetTimer", IDD_frmSetTimer},
        {"frmShutDown", IDD_frmShutDown},   {"frmLock", IDD_frmLock},
    };
    auto it = templates.find(formName);
    return it == templates.end() ? 0 : it->second;
}

bool IsLink(int id) { return id == IDC_lbChangeSetting || id == IDC_lburl; }

}  // namespace

Win32FormHost& FormHostOf() {
    static Win32FormHost host;
    return host;
}

void RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefDlgProcA;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainWindowClass;
    RegisterClassExA(&wc);
}

HWND Win32FormHost::mainWindow() const { return FindWindowA(kMainWindowClass, nullptr); }

void Win32FormHost::showModal(Form& form) {
    DialogView view(form, true);
    form.attach(&view);
    HWND owner = GetActiveWindow();
    if (!owner) owner = mainWindow();
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(TemplateOf(form.name())), owner,
                    DialogView::DialogProc, reinterpret_cast<LPARAM>(&view));
    form.attach(nullptr);
}

void Win32FormHost::showModeless(Form& form) {
    std::unique_ptr<DialogView> view = takeSpare(form);
    const bool madeAhead = view != nullptr;
    if (!madeAhead) view = std::make_unique<DialogView>(form, false);
    DialogView* raw = view.get();
    views_.push_back(std::move(view));
    form.attach(raw);
    modeless_.push_back(raw);
    HWND hwnd = raw->hwnd();
    if (madeAhead) raw->wake();
    else hwnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(TemplateOf(form.name())), nullptr,
                                   DialogView::DialogProc, reinterpret_cast<LPARAM>(raw));
    if (hwnd && raw->isOpen()) ShowWindow(hwnd, SW_SHOW);
}

void Win32FormHost::keepSpare(Form& form) {
    spareForm_ = &form;
    scheduleSpare();
}

void Win32FormHost::discardSpare() {
    spareForm_ = nullptr;
    if (spare_ && IsWindow(spare_->hwnd())) DestroyWindow(spare_->hwnd());
    spare_.reset();
}

// A thread timer of no delay: the spare is made once the work at hand is done.
void Win32FormHost::scheduleSpare() { SetTimer(nullptr, 0, 0, MakeSpare); }

void CALLBACK Win32FormHost::MakeSpare(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    Win32FormHost& host = FormHostOf();
    Form* form = host.spareForm_;
    if (!form || form->attached() || (host.spare_ && IsWindow(host.spare_->hwnd()))) return;
    auto view = std::make_unique<DialogView>(*form, false);
    view->makeDormant();
    if (CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(TemplateOf(form->name())), nullptr,
                           DialogView::DialogProc, reinterpret_cast<LPARAM>(view.get()))) {
        form->attach(view.get());
        form->dress();
        form->attach(nullptr);
        host.spare_ = std::move(view);
    }
}

std::unique_ptr<DialogView> Win32FormHost::takeSpare(Form& form) {
    if (!spare_ || &spare_->form() != &form) return nullptr;
    std::unique_ptr<DialogView> view = std::move(spare_);
    return IsWindow(view->hwnd()) ? std::move(view) : nullptr;
}

void Win32FormHost::prepare(DialogView& view) {
    HWND hwnd = view.hwnd();
    // A window with neither title bar nor task-bar button (the lock screen) shows no icon:
    // handing it one would only keep the display busy converting it.
    const bool showsIcon = (GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION ||
                           !(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    if (showsIcon)
        SendMessageA(hwnd, WM_SETICON, ICON_BIG,
                     reinterpret_cast<LPARAM>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP))));
    for (int id : {IDC_lbChangeSetting, IDC_lburl}) {
        HWND link = GetDlgItem(hwnd, id);
        if (!link) continue;
        if (!linkFont_) {
            LOGFONTA lf{};
            GetObjectA(reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
            lf.lfUnderline = TRUE;
            linkFont_ = CreateFontIndirectA(&lf);
        }
        SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), FALSE);
    }
    if (const FormExtras* extras = FindFormExtras(view.form().name()); extras && extras->prepare) extras->prepare(view);
}

INT_PTR Win32FormHost::paint(DialogView& view, UINT message, WPARAM wParam, LPARAM lParam) {
    if (const FormExtras* extras = FindFormExtras(view.form().name()); extras && extras->message) {
        INT_PTR result = FALSE;
        if (extras->message(view, message, wParam, lParam, result)) return result;
    }
    if (message == WM_CTLCOLORSTATIC && IsLink(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)))) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 204));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    if (message == WM_SETCURSOR && IsLink(GetDlgCtrlID(reinterpret_cast<HWND>(wParam)))) {
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
        SetWindowLongPtrA(view.hwnd(), DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    return FALSE;
}

void Win32FormHost::released(DialogView& view) {
    if (view.form().attached() && &view.form().view() == &view) view.form().attach(nullptr);
    auto it = std::find(modeless_.begin(), modeless_.end(), &view);
    if (it == modeless_.end()) return;
    modeless_.erase(it);
    if (&view.form() == spareForm_) scheduleSpare();
    if (modeless_.empty() && loopRunning_) PostQuitMessage(0);
}

bool Win32FormHost::dispatchToDialog(MSG& msg) {
    for (DialogView* view : modeless_) {
        if (view->hwnd() && IsDialogMessageA(view->hwnd(), &msg)) return true;
    }
    return false;
}

void Win32FormHost::runMessageLoop() {
    if (modeless_.empty()) return;
    loopRunning_ = true;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (dispatchToDialog(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    loopRunning_ = false;
}

void Win32FormHost::pumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (dispatchToDialog(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace qv::win
