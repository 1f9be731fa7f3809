// The lock screen's look and its hold on the desktop: a dark backdrop over every monitor,
// light rounded panels with the padlock, a red notice panel, owner-drawn buttons; the window
// puts the windows that were topmost below it, is put back on top of the topmost band every
// second, at a tick of its clock, and covers the desktop again when the display layout changes.
// Also the shut-down dialog's list, which offers only its choices.
#include <windows.h>

#include <commctrl.h>

#include <map>
#include <set>
#include <vector>

#include "lock/lock_form.h"
#include "resources/resource_ids.h"
#include "ui/dialog_view.h"
#include "ui/form_extras.h"

namespace qv::win {

namespace {

constexpr COLORREF kBackdropTop = RGB(15, 23, 42);
constexpr COLORREF kBackdropBottom = RGB(36, 52, 88);
constexpr COLORREF kShadow = RGB(0, 0, 0);
constexpr COLORREF kPanel = RGB(248, 250, 252);
constexpr COLORREF kPanelBorder = RGB(203, 213, 225);
constexpr COLORREF kFooter = RGB(237, 241, 246);
constexpr COLORREF kHairline = RGB(218, 225, 234);
constexpr COLORREF kAccent = RGB(37, 99, 235);
constexpr COLORREF kAccentPressed = RGB(29, 78, 216);
constexpr COLORREF kAccentSoft = RGB(222, 233, 255);
constexpr COLORREF kSteel = RGB(100, 116, 139);
constexpr COLORREF kInk = RGB(15, 23, 42);
constexpr COLORREF kInkSoft = RGB(51, 65, 85);
constexpr COLORREF kMuted = RGB(100, 116, 139);
constexpr COLORREF kWarning = RGB(200, 40, 40);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kButtonBorder = RGB(196, 205, 218);
constexpr COLORREF kButtonPressed = RGB(226, 232, 240);
constexpr COLORREF kDisabledText = RGB(148, 163, 184);
constexpr COLORREF kFocusOnAccent = RGB(147, 197, 253);

constexpr DWORD kKeepOnTopMs = 1000;

// Brushes live as long as the program.
HBRUSH Brush(COLORREF colour) {
    static std::map<COLORREF, HBRUSH> brushes;
    HBRUSH& brush = brushes[colour];
    if (!brush) brush = CreateSolidBrush(colour);
    return brush;
}

// Pixels at the screen's dpi for a length drawn at 96 dpi.
int S(int px) { return TwipsToPixels(px * 15); }

COLORREF Mix(COLORREF a, COLORREF b, int num, int den) {
    if (den <= 0) return a;
    auto part = [&](int x, int y) { return x + (y - x) * num / den; };
    return RGB(part(GetRValue(a), GetRValue(b)), part(GetGValue(a), GetGValue(b)), part(GetBValue(a), GetBValue(b)));
}

// Fills `area` of `dc` with the backdrop; `originY` is the window-client y of the dc's y 0.
void FillBackdrop(HDC dc, const RECT& area, int originY, int clientHeight) {
    constexpr int kBand = 4;
    for (int y = area.top; y < area.bottom; y += kBand) {
        RECT band{area.left, y, area.right, y + kBand < area.bottom ? y + kBand : area.bottom};
        FillRect(dc, &band, Brush(Mix(kBackdropTop, kBackdropBottom, y + originY, clientHeight)));
    }
}

// Rectangle of a dialog control in the coordinates of another control.
RECT RectIn(HWND dialog, int id, HWND relativeTo) {
    RECT r{};
    HWND item = GetDlgItem(dialog, id);
    if (!item) return r;
    GetWindowRect(item, &r);
    MapWindowPoints(nullptr, relativeTo, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void HLine(HDC dc, int left, int right, int y, COLORREF colour) {
    RECT line{left, y, right, y + 1};
    FillRect(dc, &line, Brush(colour));
}

// Per-window fonts, freed with the window.
std::map<HWND, std::vector<HFONT>>& Fonts() {
    static std::map<HWND, std::vector<HFONT>> fonts;
    return fonts;
}

int CALLBACK FoundFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool HasFace(const char* face) {
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExA(dc, &lf, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

// The dialog's font in the lock screen's face, weight and (when not 0) size in points.
HFONT MakeFont(HWND dialog, int weight, int points) {
    static const char* face = HasFace("Segoe UI") ? "Segoe UI" : nullptr;
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    if (face) lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    lf.lfWeight = weight;
    lf.lfQuality = CLEARTYPE_QUALITY;
    if (points > 0) {
        HDC dc = GetDC(nullptr);
        lf.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(nullptr, dc);
    }
    HFONT font = CreateFontIndirectA(&lf);
    Fonts()[dialog].push_back(font);
    return font;
}

void SetFonts(HWND dialog, std::initializer_list<int> ids, HFONT font) {
    for (int id : ids) SendMessageA(GetDlgItem(dialog, id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

bool IsTaskManager(HWND window) {
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    return lstrcmpA(title, "Windows Task Manager") == 0 || lstrcmpA(title, "Task Manager") == 0;
}

bool IsTaskbar(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, "Shell_TrayWnd") == 0 || lstrcmpiA(name, "Shell_SecondaryTrayWnd") == 0;
}

// A window that was topmost before the lock would share the band with the lock screen and
// come up above it when clicked or when it raises itself; a Task Manager could end the
// program. At the lock, Task Managers are closed and every other topmost window goes below the
// band. The task bars are hidden apart.
BOOL CALLBACK PushBelowLock(HWND window, LPARAM lockParam) {
    const HWND lock = reinterpret_cast<HWND>(lockParam);
    if (window == lock || !IsWindowVisible(window) || GetAncestor(window, GA_ROOTOWNER) == lock) return TRUE;
    if (IsTaskManager(window)) PostMessageA(window, WM_CLOSE, 0, 0);
    // Posted to the window's own thread: a hung program must not stall the lock screen.
    if ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) && !IsTaskbar(window))
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    return TRUE;
}

// Noted at the lock, taken at the clock's first tick: the other windows are dealt with once the
// screen is up (above them all, the top of the topmost band), not while it is still to come.
// Kept in the program, not as a window property: a tick must not ask the system anything.
std::set<HWND>& PushPending() {
    static std::set<HWND> windows;
    return windows;
}

void KeepOnTop(HWND hwnd) { SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }

// The lock screen runs no timer of its own: the clock's ticks put it back on top once a second.
void KeepOnTopAtTick(HWND hwnd) {
    static DWORD last = GetTickCount();
    const DWORD now = GetTickCount();
    if (now - last < kKeepOnTopMs) return;
    last = now;
    KeepOnTop(hwnd);
}

void PrepareLock(DialogView& view) {
    HWND hwnd = view.hwnd();
    // The form sets sizes and character sets later; face and weight stay as set here.
    SetFonts(hwnd, {IDC_lbLockRun, IDC_lbNote, IDC_lbInvalidST}, MakeFont(hwnd, FW_BOLD, 0));
    SetFonts(hwnd, {IDC_lbDescrip, IDC_lbCurrTime, IDC_lbUnloadTime, IDC_lbRemainTime}, MakeFont(hwnd, FW_NORMAL, 0));
    SetFonts(hwnd, {IDC_cButtonUnlock, IDC_chButtonShutDown}, MakeFont(hwnd, FW_SEMIBOLD, 0));
    SetFonts(hwnd, {IDC_lblCurrentTime, IDC_lblUnlockTime, IDC_lblTimeRemain}, MakeFont(hwnd, FW_SEMIBOLD, 9));
    PushPending().insert(hwnd);
}

// A rounded panel with a shadow under it, on the backdrop.
struct PanelShape {
    HRGN body;
    RECT rect;
};
PanelShape BeginPanel(HWND dialog, const DRAWITEMSTRUCT& di, COLORREF fill) {
    HDC dc = di.hDC;
    RECT client{};
    GetClientRect(dialog, &client);
    POINT origin{0, 0};
    MapWindowPoints(di.hwndItem, dialog, &origin, 1);
    FillBackdrop(dc, di.rcItem, origin.y, client.bottom);

    const int radius = S(14);
    RECT body = di.rcItem;
    body.bottom -= S(4);
    HRGN shadow = CreateRoundRectRgn(body.left, body.top + S(3), body.right + 1, body.bottom + S(3) + 1, 2 * radius,
                                     2 * radius);
    // A soft shadow: the backdrop under the panel's foot, darkened.
    const COLORREF under = Mix(kBackdropTop, kBackdropBottom, origin.y + body.bottom, client.bottom);
    FillRgn(dc, shadow, Brush(Mix(under, kShadow, 1, 2)));
    DeleteObject(shadow);
    HRGN region = CreateRoundRectRgn(body.left, body.top, body.right + 1, body.bottom + 1, 2 * radius, 2 * radius);
    SelectClipRgn(dc, region);
    FillRect(dc, &body, Brush(fill));
    return {region, body};
}

void EndPanel(HDC dc, PanelShape& shape, COLORREF border) {
    SelectClipRgn(dc, nullptr);
    FrameRgn(dc, shape.body, Brush(border), 1, 1);
    DeleteObject(shape.body);
}

void DrawLightPanel(HWND dialog, const DRAWITEMSTRUCT& di) {
    HDC dc = di.hDC;
    PanelShape shape = BeginPanel(dialog, di, kPanel);
    const RECT& body = shape.rect;
    RECT band{body.left, body.top, body.right, body.top + S(5)};
    FillRect(dc, &band, Brush(kAccent));
    if (di.CtlID == IDC_Picture1) {
        // The buttons sit on a footer.
        RECT button = RectIn(dialog, IDC_cButtonUnlock, di.hwndItem);
        RECT footer{body.left, button.top - S(16), body.right, body.bottom};
        FillRect(dc, &footer, Brush(kFooter));
        HLine(dc, body.left, body.right, footer.top, kHairline);
    } else {
        // Hairlines between the three caption and value pairs.
        for (int id : {IDC_lbUnloadTime, IDC_lbRemainTime}) {
            RECT caption = RectIn(dialog, id, di.hwndItem);
            HLine(dc, body.left + S(20), body.right - S(20), caption.top - S(18), kHairline);
        }
    }
    EndPanel(dc, shape, kPanelBorder);
}

void DrawNoticePanel(HWND dialog, const DRAWITEMSTRUCT& di) {
    HDC dc = di.hDC;
    PanelShape shape = BeginPanel(dialog, di, kWarning);
    const RECT& body = shape.rect;
    // A white warning triangle with the exclamation mark in the panel's red.
    const int cx = body.left + S(36), cy = (body.top + body.bottom) / 2, half = S(14);
    POINT triangle[] = {{cx, cy - half}, {cx + half + S(2), cy + half - S(1)}, {cx - half - S(2), cy + half - S(1)}};
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, Brush(kWhite));
    Polygon(dc, triangle, 3);
    SelectObject(dc, Brush(kWarning));
    const int w = S(3) > 2 ? S(3) : 2;
    Rectangle(dc, cx - w / 2, cy - half + S(9), cx - w / 2 + w + 1, cy + half - S(9) + 1);
    Rectangle(dc, cx - w / 2, cy + half - S(6), cx - w / 2 + w + 1, cy + half - S(6) + w + 1);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    EndPanel(dc, shape, kWarning);
}

void DrawPadlock(const DRAWITEMSTRUCT& di) {
    HDC dc = di.hDC;
    const RECT& r = di.rcItem;
    FillRect(dc, &r, Brush(kPanel));
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int cx = r.left + w / 2, cy = r.top + h / 2;
    const int radius = (w < h ? w : h) / 2 - 1;

    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, Brush(kAccentSoft));
    Ellipse(dc, cx - radius, cy - radius, cx + radius + 1, cy + radius + 1);

    // Shackle: a thick arc and two legs down into the body.
    const int bodyW = radius * 11 / 10, bodyH = radius * 82 / 100;
    const int bodyLeft = cx - bodyW / 2, bodyTop = cy - radius * 8 / 100;
    const int shackleW = bodyW * 62 / 100, stroke = radius * 20 / 100 > 3 ? radius * 20 / 100 : 3;
    const int arcTop = cy - radius * 62 / 100;
    LOGBRUSH lb{BS_SOLID, kSteel, 0};
    HPEN shacklePen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_ROUND,
                                   static_cast<DWORD>(stroke), &lb, 0, nullptr);
    SelectObject(dc, shacklePen);
    const int left = cx - shackleW / 2, right = cx + shackleW / 2, arcMid = arcTop + shackleW / 2;
    Arc(dc, left, arcTop, right, arcTop + shackleW, right, arcMid, left, arcMid);
    MoveToEx(dc, left, arcMid, nullptr);
    LineTo(dc, left, bodyTop + S(2));
    MoveToEx(dc, right, arcMid, nullptr);
    LineTo(dc, right, bodyTop + S(2));
    SelectObject(dc, GetStockObject(NULL_PEN));
    DeleteObject(shacklePen);

    // Body and keyhole.
    SelectObject(dc, Brush(kAccent));
    RoundRect(dc, bodyLeft, bodyTop, bodyLeft + bodyW + 1, bodyTop + bodyH + 1, S(10), S(10));
    SelectObject(dc, Brush(kWhite));
    const int hole = bodyW / 10 > 2 ? bodyW / 10 : 2, holeY = bodyTop + bodyH * 40 / 100;
    Ellipse(dc, cx - hole, holeY - hole, cx + hole + 1, holeY + hole + 1);
    Rectangle(dc, cx - hole / 2, holeY, cx + hole / 2 + 2, holeY + bodyH * 32 / 100);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

void DrawButton(const DRAWITEMSTRUCT& di, bool primary) {
    HDC dc = di.hDC;
    const RECT& r = di.rcItem;
    const bool pressed = di.itemState & ODS_SELECTED;
    const bool disabled = di.itemState & ODS_DISABLED;
    FillRect(dc, &r, Brush(kFooter));

    COLORREF fill = primary ? (pressed ? kAccentPressed : kAccent) : (pressed ? kButtonPressed : kWhite);
    COLORREF edge = primary ? fill : kButtonBorder;
    HPEN pen = CreatePen(PS_SOLID, 1, edge);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, Brush(fill));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, S(10), S(10));
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    char text[128] = {};
    GetWindowTextA(di.hwndItem, text, sizeof text);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(di.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? kDisabledText : primary ? kWhite : kInk);
    RECT label = r;
    if (pressed) OffsetRect(&label, 0, 1);
    UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | (di.itemState & ODS_NOACCEL ? DT_HIDEPREFIX : 0);
    DrawTextA(dc, text, -1, &label, format);
    SelectObject(dc, oldFont);
    if ((di.itemState & ODS_FOCUS) && !(di.itemState & ODS_NOFOCUSRECT)) {
        // A quiet inner ring instead of the dotted focus rectangle.
        HPEN ring = CreatePen(PS_SOLID, 1, primary ? kFocusOnAccent : kAccent);
        oldPen = SelectObject(dc, ring);
        oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        RoundRect(dc, r.left + S(3), r.top + S(3), r.right - S(3), r.bottom - S(3), S(7), S(7));
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(ring);
    }
}

bool DrawItem(HWND dialog, const DRAWITEMSTRUCT& di) {
    switch (di.CtlID) {
    case IDC_Picture1:
    case IDC_Picture3: DrawLightPanel(dialog, di); return true;
    case IDC_Picture2: DrawNoticePanel(dialog, di); return true;
    case IDC_Image1: DrawPadlock(di); return true;
    case IDC_cButtonUnlock: DrawButton(di, true); return true;
    case IDC_chButtonShutDown: DrawButton(di, false); return true;
    default: return false;
    }
}

// Text colour and background of the labels on the panels.
bool LabelColours(HDC dc, int id, INT_PTR& result) {
    COLORREF text = kInkSoft, back = kPanel;
    switch (id) {
    case IDC_lbLockRun:
    case IDC_lblCurrentTime:
    case IDC_lblUnlockTime: text = kInk; break;
    case IDC_lbNote:
    case IDC_lblTimeRemain: text = kAccent; break;
    case IDC_lbCurrTime:
    case IDC_lbUnloadTime:
    case IDC_lbRemainTime: text = kMuted; break;
    case IDC_lbInvalidST: text = kWhite, back = kWarning; break;
    case IDC_lbDescrip: break;
    default: return false;
    }
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<INT_PTR>(Brush(back));
    return true;
}

bool LockMessage(DialogView& view, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    HWND hwnd = view.hwnd();
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(hwnd, &client);
        FillBackdrop(reinterpret_cast<HDC>(wParam), client, 0, client.bottom);
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, TRUE);
        result = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC:
        return LabelColours(reinterpret_cast<HDC>(wParam), GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), result);
    case WM_DRAWITEM:
        if (!DrawItem(hwnd, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return false;
        result = TRUE;
        return true;
    case WM_WINDOWPOSCHANGING: {
        // Whatever moves the window keeps it in the topmost band.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(pos->flags & SWP_NOZORDER)) pos->hwndInsertAfter = HWND_TOPMOST;
        return false;
    }
    case WM_ACTIVATEAPP:
        if (!wParam) KeepOnTop(hwnd);
        return false;
    case WM_TIMER:
        if (PushPending().erase(hwnd)) EnumWindows(PushBelowLock, reinterpret_cast<LPARAM>(hwnd));
        KeepOnTopAtTick(hwnd);
        return false;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
        // Shut-down, restart or log-off, also from Windows' own Ctrl+Alt+Del screen: what the
        // lock switched off comes back before the session ends; a cancelled end locks it again.
        if (auto* lock = dynamic_cast<LockForm*>(&view.form())) {
            if (message == WM_ENDSESSION && !wParam) lock->sessionGoesOn();
            else lock->sessionEnding();
        }
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, message == WM_QUERYENDSESSION ? TRUE : 0);
        result = TRUE;
        return true;
    case WM_DISPLAYCHANGE:
        // Monitors added, removed or resized: cover the whole desktop again.
        if (auto* lock = dynamic_cast<LockForm*>(&view.form())) lock->layoutScreen();
        InvalidateRect(hwnd, nullptr, TRUE);
        return false;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
        case SC_MINIMIZE:
        case SC_MAXIMIZE:
        case SC_MOVE:
        case SC_SIZE:
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
            result = TRUE;
            return true;
        default: return false;
        }
    case WM_NCDESTROY:
        PushPending().erase(hwnd);
        for (HFONT font : Fonts()[hwnd]) DeleteObject(font);
        Fonts().erase(hwnd);
        return false;
    default: return false;
    }
}

// The shut-down choices are a drop-down list; setting its text selects the matching choice.
LRESULT CALLBACK ChoiceList(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_SETTEXT && lParam) {
        LRESULT index = SendMessageA(hwnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), lParam);
        SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return index == CB_ERR ? CB_ERR : TRUE;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ChoiceList, 1);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void PrepareShutDown(DialogView& view) {
    HWND hwnd = view.hwnd();
    if (HWND combo = GetDlgItem(hwnd, IDC_Combo1)) SetWindowSubclass(combo, ChoiceList, 1, 0);
    // The confirmation button has the focus, not the list.
    PostMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hwnd, IDC_cmdOk)), TRUE);
}

const FormExtrasRegistration lockRegistration("frmLock", FormExtras{PrepareLock, LockMessage});
const FormExtrasRegistration shutDownRegistration("frmShutDown", FormExtras{PrepareShutDown, nullptr});

}  // namespace

}  // namespace qv::win
