// QuorvelDll.dll as the program loads it (by name, the four operations by their undecorated
// names), and the lock screen's own keyboard hook and Shift release. Every policy value the
// tests touch is put back as it was in TearDown.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "services/win_lock_services.h"

namespace {

using LockFn = LONG(__stdcall*)(LONG);
constexpr LONG kOff = 0, kOn = -1;
const char* const kSystemKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
const char* const kSavedKey = "Software\\Vantrel\\Quorvel\\LockDownSaved";

// One registry value as raw bytes; absent when `exists` is false.
struct RawValue {
    bool exists = false;
    DWORD type = 0;
    std::string data;
};
RawValue Dword(DWORD v) { return {true, REG_DWORD, std::string(reinterpret_cast<const char*>(&v), 4)}; }

struct PolicyPlace {
    HKEY root;
    const char* key;
    const char* name;
};
const PolicyPlace kTaskMgr{HKEY_CURRENT_USER, kSystemKey, "DisableTaskMgr"};
const PolicyPlace kNoLogoff{HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                            "NoLogoff"};
const PolicyPlace kFastUserSwitching{HKEY_LOCAL_MACHINE, kSystemKey, "HideFastUserSwitching"};
const PolicyPlace kLockWorkstation{HKEY_CURRENT_USER, kSystemKey, "DisableLockWorkstation"};
const PolicyPlace kSavedTaskMgr{HKEY_CURRENT_USER, kSavedKey, "DisableTaskMgr"};
const PolicyPlace kWatched[] = {kTaskMgr, kNoLogoff, kFastUserSwitching, kLockWorkstation, kSavedTaskMgr,
                                {HKEY_CURRENT_USER, kSavedKey, "NoLogoff"},
                                {HKEY_LOCAL_MACHINE, kSavedKey, "HideFastUserSwitching"},
                                {HKEY_CURRENT_USER, kSavedKey, "HiddenWindows"}};

RawValue Read(const PolicyPlace& p) {
    HKEY k = nullptr;
    RawValue v;
    if (RegOpenKeyExA(p.root, p.key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return v;
    char buffer[512];
    DWORD size = sizeof buffer;
    v.exists = RegQueryValueExA(k, p.name, nullptr, &v.type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
    if (v.exists) v.data.assign(buffer, size);
    RegCloseKey(k);
    return v;
}
std::string Text(const RawValue& v) {
    std::string out = v.exists ? std::to_string(v.type) + ":" : "absent";
    for (unsigned char c : v.data) out += std::to_string(c) + " ";
    return out;
}
std::string Get(const PolicyPlace& p) { return Text(Read(p)); }
void Put(const PolicyPlace& p, const RawValue& v) {
    HKEY k = nullptr;
    if (RegCreateKeyExA(p.root, p.key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS) return;
    if (v.exists) RegSetValueExA(k, p.name, 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()), v.data.size());
    else RegDeleteValueA(k, p.name);
    RegCloseKey(k);
}
const std::string One = Text(Dword(1)), Zero = Text(Dword(0)), Absent = "absent";

void Type(WORD key) {
    qv::win::SendKey(key, true);
    qv::win::SendKey(key, false);
}

// Keys that reach a window of this thread, as WM_KEYDOWN / WM_SYSKEYDOWN codes.
class KeyTarget {
public:
    static inline std::vector<WPARAM> received;
    KeyTarget() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QvKeyTarget";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, "QvKeyTarget", "keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        SetForegroundWindow(window_);
        SetFocus(window_);
        pump();
        received.clear();
    }
    ~KeyTarget() {
        DestroyWindow(window_);
        pump();
    }
    void pump() {
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // Types `key`, pumping until it has arrived; false when it never does.
    bool typeAndWait(WORD key) {
        Type(key);
        for (int round = 0; round < 200; ++round, Sleep(10)) {
            pump();
            if (arrived(key)) return true;
        }
        return false;
    }
    bool arrived(WPARAM key) const { return std::find(received.begin(), received.end(), key) != received.end(); }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) received.push_back(wp);
        return DefWindowProcA(w, m, wp, lp);
    }
    HWND window_ = nullptr;
};

class QuorvelDll : public ::testing::Test {
protected:
    void SetUp() override {
        for (const PolicyPlace& p : kWatched) before_.push_back(Read(p));
        load();
    }
    void TearDown() override {
        if (library_) FreeLibrary(library_);
        for (std::size_t i = 0; i < before_.size(); ++i) Put(kWatched[i], before_[i]);
    }
    void load() {
        library_ = LoadLibraryA("QuorvelDll.dll");
        ASSERT_NE(library_, nullptr);
        const char* names[] = {"LockW2kSpecialKey", "LockW98SpecialKey", "LockW2kTaskManager", "LockWAllTaskbar"};
        LockFn* slots[] = {&specialKey_, &specialKey98_, &taskManager_, &taskbar_};
        for (int i = 0; i < 4; ++i) {
            *slots[i] = reinterpret_cast<LockFn>(reinterpret_cast<void*>(GetProcAddress(library_, names[i])));
            ASSERT_NE(*slots[i], nullptr) << names[i];
        }
    }

    HMODULE library_ = nullptr;
    LockFn specialKey_ = nullptr, specialKey98_ = nullptr, taskManager_ = nullptr, taskbar_ = nullptr;
    std::vector<RawValue> before_;
};

HWND MakeWindow(const char* className, const char* title, DWORD style, HWND parent = nullptr) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);   // "Button" is the system's own and stays as it is
    return CreateWindowExA(0, className, title, style, 0, 0, 100, 30, parent, nullptr, wc.hInstance, nullptr);
}

TEST_F(QuorvelDll, HidesEveryTaskbarAndStartButtonAndShowsThemAgain) {
    HWND primary = MakeWindow("Shell_TrayWnd", "", WS_POPUP | WS_VISIBLE);
    const HWND shown[] = {primary, MakeWindow("Shell_SecondaryTrayWnd", "", WS_POPUP | WS_VISIBLE),
                          MakeWindow("Button", "Start", WS_POPUP | WS_VISIBLE),
                          MakeWindow("Button", "Start", WS_CHILD | WS_VISIBLE, primary)};
    // Hidden by someone else (the system keeps some task bars hidden): never shown by us.
    const HWND hiddenBefore[] = {MakeWindow("Button", "Start", WS_POPUP), MakeWindow("Shell_TrayWnd", "", WS_POPUP)};
    for (HWND w : shown) ASSERT_NE(w, nullptr) << GetLastError();
    for (int round = 0; round < 2; ++round) {   // repeated calls, as the polling timer makes them
        EXPECT_NE(taskbar_(kOff), 0);
        for (HWND w : shown) EXPECT_FALSE(IsWindowVisible(w)) << round;
    }
    // A task bar the shell creates again meanwhile is caught by the next call.
    HWND recreated = MakeWindow("Shell_TrayWnd", "", WS_POPUP | WS_VISIBLE);
    taskbar_(kOff);
    EXPECT_FALSE(IsWindowVisible(recreated));
    for (int round = 0; round < 2; ++round) {
        EXPECT_NE(taskbar_(kOn), 0);
        for (HWND w : shown) EXPECT_TRUE(IsWindowVisible(w)) << round;
        EXPECT_TRUE(IsWindowVisible(recreated));
        for (HWND w : hiddenBefore) EXPECT_FALSE(IsWindowVisible(w)) << round;
    }

    // A process that ends while they are hidden: the next start's repair shows them, and only them.
    taskbar_(kOff);
    FreeLibrary(library_);
    load();
    EXPECT_FALSE(IsWindowVisible(primary));
    taskManager_(kOn);
    for (HWND w : shown) EXPECT_TRUE(IsWindowVisible(w));
    for (HWND w : hiddenBefore) EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(Get({HKEY_CURRENT_USER, kSavedKey, "HiddenWindows"}), Absent);
    for (HWND w : {shown[3], shown[0], shown[1], shown[2], hiddenBefore[0], hiddenBefore[1], recreated})
        DestroyWindow(w);
}

TEST_F(QuorvelDll, TaskManagerRoundTripAndStartUpRepairRestoreTheOriginal) {
    for (const RawValue& original : {RawValue{}, Dword(1), Dword(0)}) {
        SCOPED_TRACE(Text(original));
        Put(kTaskMgr, original);
        taskManager_(kOff);
        EXPECT_EQ(Get(kTaskMgr), One);
        taskManager_(kOff);
        taskManager_(kOn);
        EXPECT_EQ(Get(kTaskMgr), Text(original));
        taskManager_(kOn);   // nothing saved any more: nothing changes
        EXPECT_EQ(Get(kTaskMgr), Text(original));
        EXPECT_EQ(Get(kSavedTaskMgr), Absent);

        taskManager_(kOff);
        specialKey_(kOff);
        FreeLibrary(library_);   // the process ends without switching on
        EXPECT_EQ(Get(kTaskMgr), One);
        load();
        taskManager_(kOn);   // the main window's start-up call
        EXPECT_EQ(Get(kTaskMgr), Text(original));
        EXPECT_EQ(Get(kNoLogoff), Text(before_[1]));
        EXPECT_EQ(Get(kFastUserSwitching), Text(before_[2]));
    }
}

TEST_F(QuorvelDll, SpecialKeysSwitchTheCtrlAltDelEntriesAndNeverTheWorkstationLock) {
    Put(kTaskMgr, RawValue{});
    Put(kNoLogoff, Dword(0));
    specialKey_(kOff);
    taskManager_(kOff);   // the lock screen's order
    EXPECT_EQ(Get(kTaskMgr), One);
    EXPECT_EQ(Get(kNoLogoff), One);
    EXPECT_EQ(Get(kLockWorkstation), Text(before_[3]));
    specialKey_(kOn);
    EXPECT_EQ(Get(kNoLogoff), Zero);
    EXPECT_EQ(Get(kTaskMgr), One) << "the Task Manager is still switched off";
    taskManager_(kOn);
    EXPECT_EQ(Get(kTaskMgr), Absent);
    EXPECT_EQ(Get(kFastUserSwitching), Text(before_[2]));
}

TEST_F(QuorvelDll, KeyHookSwallowsTheWindowsKeyOnly) {
    KeyTarget target;
    ASSERT_TRUE(target.typeAndWait('A')) << "injected keys never reach a window: the hook goes unchecked";
    for (LockFn lock : {specialKey_, specialKey98_}) {
        KeyTarget::received.clear();
        EXPECT_NE(lock(kOff), 0);
        lock(kOff);   // repeated: still one hook
        Type(VK_LWIN);
        EXPECT_TRUE(target.typeAndWait('B'));   // ordinary keys pass, and come after the Windows key
        EXPECT_FALSE(target.arrived(VK_LWIN));
        lock(kOn);
        lock(kOn);
        KeyTarget::received.clear();
        Type(VK_LWIN);
        EXPECT_TRUE(target.typeAndWait('C'));
        EXPECT_TRUE(target.arrived(VK_LWIN)) << "the hook is gone again";
    }
}

// A spy hook installed after the blocking one is called before it and passes every key on:
// once the spy has seen a key, the blocking hook has had it too.
std::vector<DWORD> g_spySeen;
LRESULT CALLBACK LowLevelSpy(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION) g_spySeen.push_back(reinterpret_cast<const KBDLLHOOKSTRUCT*>(data)->vkCode);
    return CallNextHookEx(nullptr, code, message, data);
}
LRESULT CALLBACK ThreadSpy(int code, WPARAM key, LPARAM data) {
    if (code == HC_ACTION) g_spySeen.push_back(static_cast<DWORD>(key));
    return CallNextHookEx(nullptr, code, key, data);
}

// A spy on a thread of its own, installed after the blocking hook: it hands each key on and
// notes what the blocking hook decided.
struct DecisionSpy {
    static inline LRESULT decision = 0;
    static inline HANDLE decided = nullptr;
    static LRESULT CALLBACK Proc(int code, WPARAM message, LPARAM data) {
        LRESULT result = CallNextHookEx(nullptr, code, message, data);
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
        if (code == HC_ACTION && message == WM_KEYDOWN && key->vkCode == 'D') {
            decision = result;
            SetEvent(decided);
        }
        return result;
    }
    static DWORD WINAPI Run(void* ready) {
        HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, Proc, GetModuleHandleA(nullptr), 0);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        SetEvent(static_cast<HANDLE>(ready));
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        UnhookWindowsHookEx(hook);
        return 0;
    }
    static DWORD WINAPI TypeD(void*) {
        Type('D');
        return 0;
    }
};

// Waits for a thread while this one runs its messages again.
void Join(HANDLE thread) {
    MSG msg;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    CloseHandle(thread);
}

TEST(WinInputLock, KeysAreDecidedWhileTheProgramsThreadIsBusy) {
    qv::win::WinInputLock input;
    std::uintptr_t hook = input.installKeyboardHook(false);
    ASSERT_NE(hook, 0u);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DecisionSpy::decided = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD spyId = 0;
    HANDLE spy = CreateThread(nullptr, 0, DecisionSpy::Run, ready, 0, &spyId);
    WaitForSingleObject(ready, INFINITE);
    HANDLE typist = CreateThread(nullptr, 0, DecisionSpy::TypeD, nullptr, 0, nullptr);
    // This thread runs no message meanwhile, as during a USB enumeration; the bound only ends
    // a failing run.
    const bool decided = WaitForSingleObject(DecisionSpy::decided, 10000) == WAIT_OBJECT_0;
    input.removeKeyboardHook(hook);
    Join(typist);
    PostThreadMessageA(spyId, WM_QUIT, 0, 0);
    Join(spy);
    for (HANDLE h : {ready, DecisionSpy::decided}) CloseHandle(h);
    EXPECT_TRUE(decided && DecisionSpy::decision != 0) << "the key was not swallowed";
}

TEST(WinInputLock, BlockingHookSwallowsEveryKeyUntilRemovedAndShiftIsReleased) {
    KeyTarget target;
    ASSERT_TRUE(target.typeAndWait('A')) << "injected keys never reach a window: the hook goes unchecked";
    qv::win::WinInputLock input;
    for (bool perThread : {false, true}) {
        KeyTarget::received.clear();
        g_spySeen.clear();
        std::uintptr_t hook = input.installKeyboardHook(perThread);
        ASSERT_NE(hook, 0u) << perThread;
        HHOOK spy = perThread ? SetWindowsHookExA(WH_KEYBOARD, ThreadSpy, nullptr, GetCurrentThreadId())
                              : SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelSpy, GetModuleHandleA(nullptr), 0);
        ASSERT_NE(spy, nullptr);
        for (WORD key : {WORD{'D'}, WORD{VK_LWIN}, WORD{'F'}}) Type(key);
        for (int round = 0; round < 200 && g_spySeen.size() < 6; ++round, Sleep(10)) target.pump();
        UnhookWindowsHookEx(spy);
        input.removeKeyboardHook(hook);
        EXPECT_GE(g_spySeen.size(), 6u) << perThread;
        EXPECT_TRUE(target.typeAndWait('E')) << perThread;
        EXPECT_FALSE(target.arrived('D') || target.arrived(VK_LWIN) || target.arrived('F')) << perThread;
    }
    input.removeKeyboardHook(0);   // a hook that was never installed: nothing happens

    qv::win::SendKey(VK_SHIFT, true);
    ASSERT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000) << "an injected Shift never shows as held";
    input.releaseShiftKey();
    EXPECT_FALSE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
}

}  // namespace
