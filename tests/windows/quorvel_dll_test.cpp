// QuorvelDll.dll as the program loads it (the four operations by their undecorated names), and
// the lock screen's own keyboard hook and Shift release. Policy values touched are put back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "services/win_lock_services.h"

namespace {

constexpr LONG kOff = 0, kOn = -1;
const char* const kSystem = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
const char* const kLockDown[] = {"LockW2kSpecialKey", "LockW2kTaskManager", "LockWAllTaskbar"};

struct Place {
    HKEY root;
    const char *key, *name;
};
// The policies the lock switches off, the one it leaves alone, and its note of the windows it hid.
const Place kSwitched[] = {{HKEY_CURRENT_USER, kSystem, "DisableTaskMgr"},
                           {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                            "NoLogoff"},
                           {HKEY_LOCAL_MACHINE, kSystem, "HideFastUserSwitching"}},
    kLockWorkstation{HKEY_CURRENT_USER, kSystem, "DisableLockWorkstation"},
    kHiddenNote{HKEY_CURRENT_USER, "Software\\Vantrel\\Quorvel\\LockDownSaved", "HiddenWindows"};

// A registry value as "<type>:<bytes>", or "absent".
std::string Get(const Place& p) {
    char data[512];
    DWORD type = 0, size = sizeof data;
    if (RegGetValueA(p.root, p.key, p.name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) != ERROR_SUCCESS)
        return "absent";
    return std::to_string(type) + ":" + std::string(data, size);
}
void Put(const Place& p, const std::string& value) {
    const auto colon = value.find(':');
    if (colon == std::string::npos) RegDeleteKeyValueA(p.root, p.key, p.name);
    else RegSetKeyValueA(p.root, p.key, p.name, std::stoul(value), value.data() + colon + 1, value.size() - colon - 1);
}
std::string Dword(char v) { return "4:" + std::string{v, 0, 0, 0}; }

// The library as the program loads it.
HMODULE g_library = LoadLibraryA("QuorvelDll.dll");
// Calls an operation by its undecorated name; 1 when it did everything asked for.
LONG Call(const char* operation, LONG flag) {
    using LockFn = LONG(__stdcall*)(LONG);
    const auto fn = reinterpret_cast<LockFn>(reinterpret_cast<void*>(GetProcAddress(g_library, operation)));
    EXPECT_NE(fn, nullptr) << operation;
    return fn ? fn(flag) : 0;
}

HWND Window(const char* className, DWORD style, const char* title = "", HWND parent = nullptr) {
    const WNDCLASSA wc{0, DefWindowProcA, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, className};
    RegisterClassA(&wc);   // "Button" is the system's own and stays as it is
    return CreateWindowExA(0, className, title, style, 0, 0, 100, 30, parent, nullptr, nullptr, nullptr);
}

// The lock screen's lock-down, with the policies as they were before it in every form: taken
// back by the unlock, or by the next start's repair after a crash.
TEST(QuorvelDll, LockDownIsUndoneByTheUnlockAndAfterACrashAndNothingElseIsTouched) {
    std::vector<std::string> before;
    for (const Place& p : kSwitched) before.push_back(Get(p));
    const std::string lockWorkstation = Get(kLockWorkstation);
    HWND primary = Window("Shell_TrayWnd", WS_POPUP | WS_VISIBLE);
    std::vector<HWND> shown{primary, Window("Shell_SecondaryTrayWnd", WS_POPUP | WS_VISIBLE),
                            Window("Button", WS_POPUP | WS_VISIBLE, "Start"),
                            Window("Button", WS_CHILD | WS_VISIBLE, "Start", primary)};
    // Hidden by someone else (the system keeps some task bars hidden): never shown by us.
    const HWND hiddenBefore[] = {Window("Button", WS_POPUP, "Start"), Window("Shell_TrayWnd", WS_POPUP)};
    auto expectLocked = [&](bool locked, const std::string& original) {
        for (HWND w : shown) EXPECT_EQ(IsWindowVisible(w) == FALSE, locked);
        for (HWND w : hiddenBefore) EXPECT_FALSE(IsWindowVisible(w));
        for (const Place& p : kSwitched) EXPECT_EQ(Get(p), locked ? Dword(1) : original) << p.name;
        EXPECT_EQ(Get(kLockWorkstation), lockWorkstation) << "locking the workstation stays possible";
    };
    for (const std::string& original : {std::string("absent"), Dword(1), Dword(0)}) {
        SCOPED_TRACE(original);
        for (const Place& p : kSwitched) Put(p, original);
        // Repeated calls, as the polling timer makes them, change nothing.
        for (LONG flag : {kOff, kOff, kOn, kOn, kOff}) {
            for (const char* operation : kLockDown) EXPECT_EQ(Call(operation, flag), 1);
            expectLocked(flag == kOff, original);
            // A task bar the shell makes again meanwhile is caught by the next call.
            if (shown.size() == 4) shown.push_back(Window("Shell_TrayWnd", WS_POPUP | WS_VISIBLE));
        }
        // A crash: the library loaded afresh has switched nothing on again.
        FreeLibrary(g_library);
        g_library = LoadLibraryA("QuorvelDll.dll");
        expectLocked(true, original);
        Call("LockW2kTaskManager", kOn);   // the main window's start-up call repairs
        expectLocked(false, original);
        EXPECT_EQ(Get(kHiddenNote), "absent");
    }
    for (std::size_t i = 0; i < before.size(); ++i) Put(kSwitched[i], before[i]);
}

// Keys that reach this thread's windows, as WM_KEYDOWN / WM_SYSKEYDOWN codes.
std::vector<WPARAM> g_received;
bool Arrived(WPARAM key) { return std::find(g_received.begin(), g_received.end(), key) != g_received.end(); }
void Type(WORD key) {
    qv::win::SendKey(key, true);
    qv::win::SendKey(key, false);
}
// Types `key` and lets messages run until it has arrived; false when it never does.
bool TypeAndWait(WORD key) {
    Type(key);
    for (int round = 0; round < 200 && !Arrived(key); ++round, Sleep(10))
        for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); DispatchMessageA(&m))
            if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) g_received.push_back(m.wParam);
    return Arrived(key);
}
DWORD WINAPI TypeBlocked(void*) {
    for (WORD key : {WORD{'D'}, WORD{VK_LWIN}}) Type(key);
    return 0;
}

TEST(QuorvelDll, KeyHooksSwallowTheirKeysEvenWhileTheProgramIsBusyAndShiftIsLetGo) {
    HWND target = Window("STATIC", WS_POPUP | WS_VISIBLE, "keys");
    SetForegroundWindow(target);
    SetFocus(target);
    ASSERT_TRUE(TypeAndWait('A')) << "injected keys never reach a window: the hooks go unchecked";
    // The library's hook takes the Windows key only, and is one however often it is asked for.
    for (const char* operation : {"LockW2kSpecialKey", "LockW98SpecialKey"}) {
        for (LONG flag : {kOff, kOff, kOn, kOn}) {
            g_received.clear();
            EXPECT_EQ(Call(operation, flag), 1);
            Type(VK_LWIN);
            EXPECT_TRUE(TypeAndWait('B'));
            EXPECT_EQ(Arrived(VK_LWIN), flag == kOn);
        }
    }
    // The lock screen's blocking hook takes every key. This thread runs no message meanwhile, as
    // during a USB enumeration: the hook must decide on a thread of its own. The bound only ends a
    // failing run.
    g_received.clear();
    qv::win::WinInputLock input;
    const std::uintptr_t hook = input.installKeyboardHook(false);
    ASSERT_NE(hook, 0u);
    HANDLE typist = CreateThread(nullptr, 0, TypeBlocked, nullptr, 0, nullptr);
    EXPECT_EQ(WaitForSingleObject(typist, 10000), DWORD{WAIT_OBJECT_0}) << "the keys waited for this thread";
    CloseHandle(typist);
    input.removeKeyboardHook(hook);
    EXPECT_TRUE(TypeAndWait('E'));
    EXPECT_FALSE(Arrived('D') || Arrived(VK_LWIN));
    input.removeKeyboardHook(0);   // a hook that was never set: nothing happens

    qv::win::SendKey(VK_SHIFT, true);
    ASSERT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000) << "an injected Shift never shows as held";
    input.releaseShiftKey();
    EXPECT_FALSE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
    DestroyWindow(target);
}

}  // namespace
