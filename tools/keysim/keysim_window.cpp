#include "keysim_window.h"

#include <windows.h>

#include "keysim_actions.h"

namespace keysim {

namespace {

constexpr int kFolderEdit = 100;
constexpr int kStatusLine = 101;
constexpr int kSecondsEdit = 102;
constexpr int kTimedPullButton = 103;
constexpr int kFirstButton = 200;
constexpr UINT_PTR kStayOnTopTimer = 1;
constexpr UINT kStayOnTopMs = 100;
constexpr UINT_PTR kPlugBackTimer = 2;

struct ButtonSpec {
    const char* caption;
    const char* action;
};
constexpr ButtonSpec kButtons[] = {
    {"Plug key", "plug-key"},
    {"Pull key", "pull-key"},
    {"Plug other stick", "plug-other"},
    {"Pull other stick", "pull-other"},
    {"Plug stick without serial", "plug-noserial"},
    {"Pull stick without serial", "pull-noserial"},
};
constexpr int kButtonCount = sizeof kButtons / sizeof kButtons[0];

std::string g_initialFolder;
int g_secondsLeft = 0;  // of a timed pull; 0 when none runs

std::string WindowText(HWND window) {
    char text[MAX_PATH * 2] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void ShowState(HWND window, const std::string& line) {
    std::string folder = WindowText(GetDlgItem(window, kFolderEdit));
    std::string text = line.empty() ? State(folder) : line + "\r\n" + State(folder);
    SetWindowTextA(GetDlgItem(window, kStatusLine), text.c_str());
}

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
    HWND child = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return child;
}

void Create(HWND window) {
    Child(window, "STATIC", "Program folder:", 0, 10, 12, 90, 20, -1);
    Child(window, "EDIT", g_initialFolder.c_str(), WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 100, 10, 300, 22,
          kFolderEdit);
    for (int i = 0; i < kButtonCount; ++i) {
        Child(window, "BUTTON", kButtons[i].caption, BS_PUSHBUTTON | WS_TABSTOP, 10 + (i % 2) * 200, 45 + (i / 2) * 32,
              190, 26, kFirstButton + i);
    }
    Child(window, "BUTTON", "Pull key for", BS_PUSHBUTTON | WS_TABSTOP, 10, 141, 190, 26, kTimedPullButton);
    Child(window, "EDIT", "10", WS_BORDER | ES_NUMBER | WS_TABSTOP, 210, 143, 50, 22, kSecondsEdit);
    Child(window, "STATIC", "seconds, then plug it back", 0, 266, 146, 140, 20, -1);
    Child(window, "STATIC", "", SS_LEFT, 10, 180, 390, 40, kStatusLine);
    ShowState(window, "");
    // The lock screen covers everything and keeps itself on top; the simulator has to stay
    // above it to be of any use while the key is out.
    SetTimer(window, kStayOnTopTimer, kStayOnTopMs, nullptr);
}

void Run(HWND window, const char* word) {
    Action action{};
    ParseAction(word, action);
    std::string report;
    Apply(WindowText(GetDlgItem(window, kFolderEdit)), action, report);
    ShowState(window, report);
}

void StopTimedPull(HWND window) {
    KillTimer(window, kPlugBackTimer);
    g_secondsLeft = 0;
}

void StartTimedPull(HWND window) {
    StopTimedPull(window);
    int seconds = 0;
    if (!ParseSeconds(WindowText(GetDlgItem(window, kSecondsEdit)), seconds)) {
        ShowState(window, "Seconds: a whole number from 1 to " + std::to_string(kMaxPullSeconds));
        return;
    }
    Run(window, "pull-key");
    g_secondsLeft = seconds;
    SetTimer(window, kPlugBackTimer, 1000, nullptr);
}

void TickTimedPull(HWND window) {
    if (--g_secondsLeft > 0) {
        SetWindowTextA(GetDlgItem(window, kStatusLine),
                       ("Key back in " + std::to_string(g_secondsLeft) + " s\r\n" +
                        State(WindowText(GetDlgItem(window, kFolderEdit)))).c_str());
        return;
    }
    StopTimedPull(window);
    Run(window, "plug-key");
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            Create(window);
            return 0;
        case WM_COMMAND: {
            int id = LOWORD(wParam);
            if (id == kTimedPullButton) {
                StartTimedPull(window);
            } else if (id >= kFirstButton && id < kFirstButton + kButtonCount) {
                // A button pressed by hand overrides a timed pull still running.
                StopTimedPull(window);
                Run(window, kButtons[id - kFirstButton].action);
            }
            return 0;
        }
        case WM_TIMER:
            if (wParam == kStayOnTopTimer) {
                SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            } else if (wParam == kPlugBackTimer) {
                TickTimedPull(window);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int RunWindow(const std::string& programFolder) {
    g_initialFolder = programFolder;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA cls{};
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = "QuorvelKeySimWindow";
    if (!RegisterClassA(&cls)) return 1;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, cls.lpszClassName, "Key simulator",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 425, 265, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace keysim
