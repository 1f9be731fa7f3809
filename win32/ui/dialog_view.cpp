#include "ui/dialog_view.h"

#include <cstring>

#include <commctrl.h>

#include "resources/resource_ids.h"
#include "ui/control_names.h"
#include "ui/form_host.h"
#include "ui/list_view.h"

namespace qv::win {

namespace {

std::string WindowText(HWND hwnd) {
    if (!hwnd) return {};
    int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int got = GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

// The system dpi is fixed for the session: asked once, not at every conversion.
int ScreenDpi() {
    static const int dpi = [] {
        HDC dc = GetDC(nullptr);
        int value = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

bool IsStatusBar(const std::string& control) { return control == "StatusBar"; }

}  // namespace

int TwipsToPixels(int twips) { return MulDiv(twips, ScreenDpi(), 1440); }
int PixelsToTwips(int pixels) { return MulDiv(pixels, 1440, ScreenDpi()); }

DialogView::~DialogView() {
    for (HFONT font : fonts_) DeleteObject(font);
}

HWND DialogView::item(const std::string& control) const {
    if (control.empty()) return hwnd_;
    int id = ControlId(control);
    return id ? GetDlgItem(hwnd_, id) : nullptr;
}

int DialogView::popupPosition(const std::string& control) const {
    if (control == "mnuFile") return 0;
    if (control == "mnuSetting") return 1;
    if (control == "mnuHelp") return 2;
    return -1;
}

bool DialogView::isMenuItem(const std::string& control) const {
    return GetMenu(hwnd_) && (control.rfind("mnu", 0) == 0 || control == "Setting2");
}

void DialogView::setCaption(const std::string& control, const std::string& text) {
    if (IsStatusBar(control)) {
        SendMessageA(item(control), SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
        return;
    }
    if (isMenuItem(control)) {
        HMENU menu = GetMenu(hwnd_);
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<char*>(text.c_str());
        int position = popupPosition(control);
        if (position >= 0) SetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
        else SetMenuItemInfoA(menu, static_cast<UINT>(ControlId(control)), FALSE, &info);
        DrawMenuBar(hwnd_);
        return;
    }
    // A label set to what it already says is not redrawn.
    if (HWND h = item(control); h && WindowText(h) != text) SetWindowTextA(h, text.c_str());
}

std::string DialogView::caption(const std::string& control) const {
    if (IsStatusBar(control)) {
        // SB_GETTEXT takes no buffer size: ask for the length first.
        const auto length = LOWORD(SendMessageA(item(control), SB_GETTEXTLENGTHA, 0, 0));
        std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
        SendMessageA(item(control), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(buffer.data()));
        return buffer.substr(0, buffer.find('\0'));
    }
    if (isMenuItem(control)) {
        char buffer[512] = {};
        int position = popupPosition(control);
        if (position >= 0) GetMenuStringA(GetMenu(hwnd_), static_cast<UINT>(position), buffer, sizeof buffer, MF_BYPOSITION);
        else GetMenuStringA(GetMenu(hwnd_), static_cast<UINT>(ControlId(control)), buffer, sizeof buffer, MF_BYCOMMAND);
        return buffer;
    }
    return WindowText(item(control));
}

void DialogView::setEnabled(const std::string& control, bool enabled) {
    if (isMenuItem(control)) {
        EnableMenuItem(GetMenu(hwnd_), static_cast<UINT>(ControlId(control)),
                       MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
        return;
    }
    if (HWND h = item(control)) EnableWindow(h, enabled);
}

bool DialogView::isEnabled(const std::string& control) const {
    if (isMenuItem(control)) {
        UINT state = GetMenuState(GetMenu(hwnd_), static_cast<UINT>(ControlId(control)), MF_BYCOMMAND);
        return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
    }
    HWND h = item(control);
    return h && IsWindowEnabled(h);
}

void DialogView::setVisible(const std::string& control, bool visible) {
    if (HWND h = item(control)) ShowWindow(h, visible ? SW_SHOW : SW_HIDE);
}

bool DialogView::isVisible(const std::string& control) const {
    HWND h = item(control);
    return h && (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE);
}

void DialogView::setFont(const std::string& control, int pointSize, int charset) {
    HWND h = item(control);
    if (!h) return;
    const std::pair<int, int> wanted{pointSize, charset};
    if (auto it = fontSet_.find(h); it != fontSet_.end() && it->second == wanted) return;
    LOGFONTA lf{};
    HFONT current = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
    if (!current) current = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
    if (!current || !GetObjectA(current, sizeof lf, &lf)) {
        lstrcpynA(lf.lfFaceName, "MS Shell Dlg", LF_FACESIZE);
        lf.lfHeight = -MulDiv(8, ScreenDpi(), 72);
    }
    if (pointSize > 0) lf.lfHeight = -MulDiv(pointSize, ScreenDpi(), 72);
    lf.lfCharSet = static_cast<BYTE>(charset);
    HFONT font = CreateFontIndirectA(&lf);
    if (!font) return;
    fonts_.push_back(font);
    fontSet_[h] = wanted;
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void DialogView::setFocus(const std::string& control) {
    if (HWND h = item(control)) SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE);
}

void DialogView::setText(const std::string& control, const std::string& text) {
    HWND h = item(control);
    if (!h || WindowText(h) == text) return;   // an unchanged text raises no change event
    char className[32] = {};
    GetClassNameA(h, className, sizeof className);
    if (lstrcmpiA(className, "ComboBox") == 0) {
        // A list item of that text is selected; a drop-down list has no text of its own.
        LRESULT index = SendMessageA(h, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
        if (index != CB_ERR) {
            SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            return;
        }
    }
    SetWindowTextA(h, text.c_str());
}

std::string DialogView::text(const std::string& control) const { return WindowText(item(control)); }

int DialogView::selectionStart(const std::string& control) const {
    DWORD start = 0, end = 0;
    SendMessageA(item(control), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

int DialogView::selectionLength(const std::string& control) const {
    DWORD start = 0, end = 0;
    SendMessageA(item(control), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void DialogView::setSelection(const std::string& control, int start, int length) {
    SendMessageA(item(control), EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + length));
}

ListView* DialogView::listView(const std::string& control) {
    auto it = listViews_.find(control);
    if (it != listViews_.end()) return it->second.get();
    HWND h = item(control);
    if (!h) return nullptr;
    // Icon 1 marks a complete device, icon 2 an incomplete one.
    auto view = std::make_unique<Win32ListView>(h, std::vector<int>{IDI_VALIDUSB, IDI_INVALIDUSB});
    ListView* raw = view.get();
    listViews_[control] = std::move(view);
    return raw;
}

void DialogView::clearItems(const std::string& control) { SendMessageA(item(control), CB_RESETCONTENT, 0, 0); }

void DialogView::addItem(const std::string& control, const std::string& text) {
    SendMessageA(item(control), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void DialogView::setChecked(const std::string& control, bool checked) {
    SendMessageA(item(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool DialogView::isChecked(const std::string& control) const {
    return SendMessageA(item(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int DialogView::timerId(const std::string& timer) {
    auto it = timerIds_.find(timer);
    if (it != timerIds_.end()) return it->second;
    int id = static_cast<int>(timerIds_.size()) + 1;
    timerIds_[timer] = id;
    return id;
}

void DialogView::setTimer(const std::string& timer, bool enabled, unsigned intervalMs) {
    int id = timerId(timer);
    timerState_[id] = enabled;
    if (enabled) SetTimer(hwnd_, static_cast<UINT_PTR>(id), intervalMs, nullptr);
    else KillTimer(hwnd_, static_cast<UINT_PTR>(id));
}

bool DialogView::timerEnabled(const std::string& timer) const {
    auto it = timerIds_.find(timer);
    if (it == timerIds_.end()) return false;
    auto state = timerState_.find(it->second);
    return state != timerState_.end() && state->second;
}

void DialogView::move(const std::string& control, int left, int top, int width, int height) {
    HWND h = item(control);
    if (!h) return;
    const int x = TwipsToPixels(left), y = TwipsToPixels(top);
    const RECT wanted{x, y, x + TwipsToPixels(width), y + TwipsToPixels(height)};
    // Left where it is when it is there already: each move costs a trip to the window server.
    RECT now{};
    GetWindowRect(h, &now);
    if (h != hwnd_) MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&now), 2);
    if (EqualRect(&now, &wanted)) return;
    SetWindowPos(h, nullptr, x, y, wanted.right - x, wanted.bottom - y, SWP_NOZORDER | SWP_NOACTIVATE);
}

ScreenRect DialogView::virtualScreenTwips() const {
    return {PixelsToTwips(GetSystemMetrics(SM_XVIRTUALSCREEN)), PixelsToTwips(GetSystemMetrics(SM_YVIRTUALSCREEN)),
            PixelsToTwips(GetSystemMetrics(SM_CXVIRTUALSCREEN)), PixelsToTwips(GetSystemMetrics(SM_CYVIRTUALSCREEN))};
}

// The primary monitor's work area: what the task bar leaves of it.
ScreenRect DialogView::primaryScreenTwips() const {
    RECT r{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0))
        r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return {PixelsToTwips(r.left), PixelsToTwips(r.top), PixelsToTwips(r.right - r.left), PixelsToTwips(r.bottom - r.top)};
}

void DialogView::centreOnScreen() {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    int left = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
    int top = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    // Moving an already centred window would only activate it again, and again.
    if (left == r.left && top == r.top) return;
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogView::setTopMost() {
    // A hidden window already in the topmost band goes to its top when it is shown: restacking
    // it before would only keep the display busy while the window is still to come.
    if (!IsWindowVisible(hwnd_) && (GetWindowLongA(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST)) return;
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void DialogView::close() {
    if (closing_ || !hwnd_) return;
    closing_ = true;
    if (modal_) {
        EndDialog(hwnd_, 0);
        return;
    }
    // Taking a window down may wait on the display (a window manager's answer): a thread
    // waiting on a message sent to this one (a system broadcast) is answered first.
    MSG pending;
    PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    DestroyWindow(hwnd_);
}

bool DialogView::isOpen() const { return hwnd_ && !closing_ && IsWindow(hwnd_); }

INT_PTR CALLBACK DialogView::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* view = reinterpret_cast<DialogView*>(lParam);
        view->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    }
    auto* view = reinterpret_cast<DialogView*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    return view ? view->handle(message, wParam, lParam) : FALSE;
}

void DialogView::wake() {
    dormant_ = false;
    form_.load();
}

INT_PTR DialogView::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (dormant_) {
        if (message == WM_INITDIALOG) FormHostOf().prepare(*this);
        else if (message == WM_NCDESTROY) FormHostOf().paint(*this, message, wParam, lParam);
        return FALSE;   // no default focus either: the window is not to be activated yet
    }
    switch (message) {
    case WM_INITDIALOG:
        FormHostOf().prepare(*this);
        form_.load();
        if (closing_ && modal_) EndDialog(hwnd_, 0);
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !closing_) form_.activate();
        return FALSE;
    case DM_SETDEFID:
        // The shell's drive notice is the same number: on the main window it never moves the
        // default button.
        return std::strcmp(form_.name(), "frmMain") == 0 ? TRUE : FALSE;
    case WM_COMMAND: {
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == IDCANCEL && code == BN_CLICKED && !GetDlgItem(hwnd_, IDCANCEL)) {
            form_.escapePressed();
            return TRUE;
        }
        const std::string& name = ControlName(id);
        if (name.empty()) return FALSE;
        if (code == BN_CLICKED || (lParam == 0 && code == 0)) form_.click(name);   // buttons, links, menus
        else if (code == EN_CHANGE || code == CBN_EDITCHANGE) form_.change(name);
        else if (code == CBN_SELCHANGE) {
            // The combo box's text follows the selection only after this notification.
            LRESULT index = SendMessageA(reinterpret_cast<HWND>(lParam), CB_GETCURSEL, 0, 0);
            if (index != CB_ERR) {
                std::string buffer(static_cast<std::size_t>(SendMessageA(reinterpret_cast<HWND>(lParam), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0)) + 1, '\0');
                SendMessageA(reinterpret_cast<HWND>(lParam), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
                SetWindowTextA(reinterpret_cast<HWND>(lParam), buffer.c_str());
            }
            form_.change(name);
        }
        return TRUE;
    }
    case WM_TIMER:
        FormHostOf().paint(*this, message, wParam, lParam);   // window additions see each tick too
        for (auto& [name, id] : timerIds_) {
            if (static_cast<WPARAM>(id) == wParam) {
                std::string timer = name;   // the handler may change the map
                form_.timer(timer);
                break;
            }
        }
        return TRUE;
    case WM_CLOSE:
        form_.closeRequested();
        return TRUE;
    case WM_DESTROY:
        closing_ = true;
        for (auto& [name, id] : timerIds_) KillTimer(hwnd_, static_cast<UINT_PTR>(id));
        form_.unload();
        FormHostOf().released(*this);
        return FALSE;
    default:
        return FormHostOf().paint(*this, message, wParam, lParam);
    }
}

}  // namespace qv::win
