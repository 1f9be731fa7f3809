#include "keysim_window.h"

#include <windows.h>

#include "keysim_actions.h"

namespace keysim {

namespace {

constexpr int kFolderEdit = 100;
constexpr int kStatusLine = 101;
constexpr int kFirstButton = 200;

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
    Child(window, "STATIC", "", SS_LEFT, 10, 150, 390, 40, kStatusLine);
    ShowState(window, "");
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            Create(window);
            return 0;
        case WM_COMMAND: {
            int id = LOWORD(wParam);
            if (id >= kFirstButton && id < kFirstButton + kButtonCount) {
                Action action{};
                ParseAction(kButtons[id - kFirstButton].action, action);
                std::string report;
                Apply(WindowText(GetDlgItem(window, kFolderEdit)), action, report);
                ShowState(window, report);
            }
            return 0;
        }
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
    HWND window = CreateWindowExA(0, cls.lpszClassName, "Key simulator", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 425, 235, nullptr, nullptr, instance, nullptr);
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
