// QuorvelDll.dll as the program loads it (the four operations by their undecorated names), and
// the lock screen's own keyboard hooks and Shift release. Every policy value the tests touch is
// put back as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "services/win_lock_services.h"

namespace {

using LockFn = LONG(__stdcall*)(LONG);
constexpr LONG kOff = 0, kOn = -1;

struct Place {
    HKEY root;
    const char *key, *name;
};
const char* const kSystem = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
const char* const kSaved = "Software\\Vantrel\\Quorvel\\LockDownSaved";
const Place kTaskMgr{HKEY_CURRENT_USER, kSystem, "DisableTaskMgr"},
    kNoLogoff{HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoLogoff"},
    kLockWorkstation{HKEY_CURRENT_USER, kSystem, "DisableLockWorkstation"},
    kFastUserSwitching{HKEY_LOCAL_MACHINE, kSystem, "HideFastUserSwitching"},
    kHiddenWindows{HKEY_CURRENT_USER, kSaved, "HiddenWindows"};
const Place kWatched[] = {kTaskMgr, kNoLogoff, kLockWorkstation, kFastUserSwitching, kHiddenWindows,
                          {HKEY_CURRENT_USER, kSaved, "DisableTaskMgr"}, {HKEY_CURRENT_USER, kSaved, "NoLogoff"},
                          {HKEY_LOCAL_MACHINE, kSaved, "HideFastUserSwitching"}};

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

void Type(WORD key) {
    qv::win::SendKey(key, true);
    qv::win::SendKey(key, false);
}

// Keys that reach this thread's windows, as WM_KEYDOWN / WM_SYSKEYDOWN codes.
std::vector<WPARAM> g_received;
void Pump() {
    for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); DispatchMessageA(&m))
        if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) g_received.push_back(m.wParam);
}
bool Arrived(WPARAM key) { return std::find(g_received.begin(), g_received.end(), key) != g_received.end(); }
// Types `key` and lets messages run until it has arrived; false when it never does.
bool TypeAndWait(WORD key) {
    Type(key);
    for (int round = 0; round < 200 && !Arrived(key); ++round, Sleep(10)) Pump();
    return Arrived(key);
}

// Keys the blocking hook must swallow, typed from a thread of their own.
DWORD WINAPI TypeBlocked(void*) {
    for (WORD key : {WORD{'D'}, WORD{VK_LWIN}, WORD{'F'}}) Type(key);
    return 0;
}
// Waits for a thread while this one runs its messages.
void Join(HANDLE thread) {
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        Pump();
    CloseHandle(thread);
}

HWND MakeWindow(const char* className, const char* title, DWORD style, HWND parent = nullptr) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = className;
    RegisterClassA(&wc);   // "Button" is the system's own and stays as it is
    return CreateWindowExA(0, className, title, style, 0, 0, 100, 30, parent, nullptr, nullptr, nullptr);
}

class QuorvelDll : public ::testing::Test {
protected:
    void SetUp() override {
        for (const Place& p : kWatched) before_.push_back(Get(p));
        load();
    }
    void TearDown() override {
        FreeLibrary(library_);
        for (std::size_t i = 0; i < before_.size(); ++i) Put(kWatched[i], before_[i]);
    }
    void load() {
        library_ = LoadLibraryA("QuorvelDll.dll");
        ASSERT_NE(library_, nullptr);
        const std::pair<const char*, LockFn*> exports[] = {{"LockW2kSpecialKey", &specialKey_},
                                                           {"LockW98SpecialKey", &specialKey98_},
                                                           {"LockW2kTaskManager", &taskManager_},
                                                           {"LockWAllTaskbar", &taskbar_}};
        for (auto [name, slot] : exports) {
            *slot = reinterpret_cast<LockFn>(reinterpret_cast<void*>(GetProcAddress(library_, name)));
            ASSERT_NE(*slot, nullptr) << name;
        }
    }
    // The process ends without switching anything on again, and the next one starts.
    void restart() {
        FreeLibrary(library_);
        load();
    }

    HMODULE library_ = nullptr;
    LockFn specialKey_ = nullptr, specialKey98_ = nullptr, taskManager_ = nullptr, taskbar_ = nullptr;
    std::vector<std::string> before_;
};

// The lock screen's lock-down, with the policies as they were before it in every form: taken
// back by the unlock, or by the next start's repair after a crash. Repeated calls, as the
// polling timer makes them, change nothing.
TEST_F(QuorvelDll, LockDownIsUndoneByTheUnlockAndAfterACrashAndNothingElseIsTouched) {
    HWND primary = MakeWindow("Shell_TrayWnd", "", WS_POPUP | WS_VISIBLE);
    std::vector<HWND> shown{primary, MakeWindow("Shell_SecondaryTrayWnd", "", WS_POPUP | WS_VISIBLE),
                            MakeWindow("Button", "Start", WS_POPUP | WS_VISIBLE),
                            MakeWindow("Button", "Start", WS_CHILD | WS_VISIBLE, primary)};
    // Hidden by someone else (the system keeps some task bars hidden): never shown by us.
    const HWND hiddenBefore[] = {MakeWindow("Button", "Start", WS_POPUP), MakeWindow("Shell_TrayWnd", "", WS_POPUP)};
    auto expectLocked = [&](bool locked, const std::string& original) {
        for (HWND w : shown) EXPECT_EQ(IsWindowVisible(w) == FALSE, locked);
        for (HWND w : hiddenBefore) EXPECT_FALSE(IsWindowVisible(w));
        EXPECT_EQ(Get(kTaskMgr), locked ? Dword(1) : original);
        EXPECT_EQ(Get(kNoLogoff), locked ? Dword(1) : original);
        EXPECT_EQ(Get(kLockWorkstation), before_[2]) << "locking the workstation stays possible";
    };
    for (const std::string& original : {std::string("absent"), Dword(1), Dword(0)}) {
        SCOPED_TRACE(original);
        Put(kTaskMgr, original);
        Put(kNoLogoff, original);
        for (int call = 0; call < 2; ++call) {
            for (LockFn lock : {specialKey_, taskManager_, taskbar_}) EXPECT_EQ(lock(kOff), 1);
            expectLocked(true, original);
            // A task bar the shell makes again meanwhile is caught by the next call.
            if (call == 0 && shown.size() == 4) shown.push_back(MakeWindow("Shell_TrayWnd", "", WS_POPUP | WS_VISIBLE));
        }
        for (int call = 0; call < 2; ++call) {
            for (LockFn lock : {taskbar_, specialKey_, taskManager_}) EXPECT_EQ(lock(kOn), 1);
            expectLocked(false, original);
        }
        for (LockFn lock : {specialKey_, taskManager_, taskbar_}) lock(kOff);
        restart();
        expectLocked(true, original);
        taskManager_(kOn);   // the main window's start-up call repairs
        expectLocked(false, original);
        EXPECT_EQ(Get(kHiddenWindows), "absent");
        EXPECT_EQ(Get(kFastUserSwitching), before_[3]);
    }
    for (HWND w : hiddenBefore) DestroyWindow(w);
    for (auto w = shown.rbegin(); w != shown.rend(); ++w) DestroyWindow(*w);
}

TEST_F(QuorvelDll, KeyHooksSwallowTheirKeysEvenWhileTheProgramIsBusyAndShiftIsLetGo) {
    HWND target = CreateWindowExA(0, "STATIC", "keys", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    SetForegroundWindow(target);
    SetFocus(target);
    ASSERT_TRUE(TypeAndWait('A')) << "injected keys never reach a window: the hooks go unchecked";
    // The library's hook takes the Windows key only, and is one however often it is asked for.
    for (LockFn lock : {specialKey_, specialKey98_}) {
        g_received.clear();
        EXPECT_EQ(lock(kOff), 1);
        lock(kOff);
        Type(VK_LWIN);
        EXPECT_TRUE(TypeAndWait('B'));
        EXPECT_FALSE(Arrived(VK_LWIN));
        lock(kOn);
        lock(kOn);
        g_received.clear();
        Type(VK_LWIN);
        EXPECT_TRUE(TypeAndWait('C'));
        EXPECT_TRUE(Arrived(VK_LWIN)) << "the hook is gone again";
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
    Join(typist);
    input.removeKeyboardHook(hook);
    EXPECT_TRUE(TypeAndWait('E'));
    EXPECT_FALSE(Arrived('D') || Arrived(VK_LWIN) || Arrived('F'));
    input.removeKeyboardHook(0);   // a hook that was never set: nothing happens

    qv::win::SendKey(VK_SHIFT, true);
    ASSERT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000) << "an injected Shift never shows as held";
    input.releaseShiftKey();
    EXPECT_FALSE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
    DestroyWindow(target);
}

}  // namespace
