#include "services/win_lock_services.h"

namespace qv::win {

namespace {

// The module holding BlockKeyboardProc, which a desktop-wide hook must name.
HINSTANCE OwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(reinterpret_cast<void*>(&BlockKeyboardProc)), &module);
    return module ? module : GetModuleHandleA(nullptr);
}

struct HookStart {
    HANDLE ready;
    HHOOK hook;
};

// Installs the hook, tells the installer, and serves it until WM_QUIT.
DWORD WINAPI RunHookThread(void* param) {
    auto* start = static_cast<HookStart*>(param);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);   // the queue, before anyone may post to it
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, BlockKeyboardProc, OwnModule(), 0);
    start->hook = hook;
    SetEvent(start->ready);   // `start` belongs to the installer from here on
    if (!hook) return 0;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    UnhookWindowsHookEx(hook);
    return 0;
}

constexpr DWORD kHookThreadEndMs = 5000;

}  // namespace

LRESULT CALLBACK BlockKeyboardProc(int, WPARAM, LPARAM) { return -1; }

UINT SendKey(WORD virtualKey, bool down) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = virtualKey;
    in.ki.wScan = 0;
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    return SendInput(1, &in, sizeof(INPUT));
}

WinInputLock::~WinInputLock() {
    while (!hookThreads_.empty()) removeKeyboardHook(hookThreads_.begin()->first);
}

std::uintptr_t WinInputLock::installKeyboardHook(bool perThread) {
    // Windows 98 and Me have no low-level hook: only keys aimed at this program's thread can
    // be caught there, by a hook of that thread.
    if (perThread) {
        HHOOK hook = SetWindowsHookExA(WH_KEYBOARD, BlockKeyboardProc, nullptr, GetCurrentThreadId());
        return reinterpret_cast<std::uintptr_t>(hook);
    }
    HookStart start{CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr};
    if (!start.ready) return 0;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, RunHookThread, &start, 0, &id);
    if (!thread) {
        CloseHandle(start.ready);
        return 0;
    }
    SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
    WaitForSingleObject(start.ready, INFINITE);
    CloseHandle(start.ready);
    if (!start.hook) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        return 0;
    }
    const auto handle = reinterpret_cast<std::uintptr_t>(start.hook);
    hookThreads_[handle] = {thread, id};
    return handle;
}

void WinInputLock::removeKeyboardHook(std::uintptr_t hook) {
    if (hook == 0) return;
    auto it = hookThreads_.find(hook);
    if (it == hookThreads_.end()) {
        UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook));
        return;
    }
    const HookThread t = it->second;
    hookThreads_.erase(it);
    PostThreadMessageA(t.id, WM_QUIT, 0, 0);
    // The thread only waits for messages; should it not end, the hook is removed from here.
    if (WaitForSingleObject(t.thread, kHookThreadEndMs) != WAIT_OBJECT_0)
        UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook));
    CloseHandle(t.thread);
}

void WinInputLock::releaseShiftKey() { SendKey(VK_SHIFT, false); }

}  // namespace qv::win
