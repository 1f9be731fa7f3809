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

constexpr UINT kInstall = WM_APP, kRemove = WM_APP + 1;
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

WinInputLock::WinInputLock() {
    answered_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (answered_) thread_ = CreateThread(nullptr, 0, Serve, this, 0, &threadId_);
    if (thread_) SetThreadPriority(thread_, THREAD_PRIORITY_HIGHEST);
}

WinInputLock::~WinInputLock() {
    while (!hooks_.empty()) removeKeyboardHook(reinterpret_cast<std::uintptr_t>(*hooks_.begin()));
    if (thread_) {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, kHookThreadEndMs);
        CloseHandle(thread_);
    }
    if (answered_) CloseHandle(answered_);
}

// Sets and removes the hooks it is asked for, and serves them, until WM_QUIT.
DWORD WINAPI WinInputLock::Serve(void* param) {
    auto* self = static_cast<WinInputLock*>(param);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);   // the queue, before anyone may post to it
    SetEvent(self->answered_);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd || (msg.message != kInstall && msg.message != kRemove)) {
            DispatchMessageA(&msg);
            continue;
        }
        const auto hook = reinterpret_cast<HHOOK>(msg.lParam);
        if (msg.message == kInstall) self->answer_ = SetWindowsHookExA(WH_KEYBOARD_LL, BlockKeyboardProc, OwnModule(), 0);
        else self->answer_ = UnhookWindowsHookEx(hook) ? hook : nullptr;
        SetEvent(self->answered_);
    }
    return 0;
}

HHOOK WinInputLock::ask(UINT command, HHOOK hook) {
    if (!thread_ || stalled_) return nullptr;
    if (!ready_) ready_ = WaitForSingleObject(answered_, INFINITE) == WAIT_OBJECT_0;
    answer_ = nullptr;
    if (!PostThreadMessageA(threadId_, command, 0, reinterpret_cast<LPARAM>(hook))) return nullptr;
    // A hook set after the installer stopped waiting would be lost, and would swallow every
    // key: the installer waits for the answer however long it takes.
    if (WaitForSingleObject(answered_, command == kInstall ? INFINITE : kHookThreadEndMs) != WAIT_OBJECT_0) {
        stalled_ = true;   // its late answers would be taken for those of later questions
        return nullptr;
    }
    return answer_;
}

std::uintptr_t WinInputLock::installKeyboardHook(bool perThread) {
    // Windows 98 and Me have no low-level hook: only keys aimed at this program's thread can
    // be caught there, by a hook of that thread.
    if (perThread) {
        HHOOK hook = SetWindowsHookExA(WH_KEYBOARD, BlockKeyboardProc, nullptr, GetCurrentThreadId());
        return reinterpret_cast<std::uintptr_t>(hook);
    }
    HHOOK hook = ask(kInstall, nullptr);
    if (hook) hooks_.insert(hook);
    return reinterpret_cast<std::uintptr_t>(hook);
}

void WinInputLock::removeKeyboardHook(std::uintptr_t handle) {
    if (handle == 0) return;
    auto hook = reinterpret_cast<HHOOK>(handle);
    // A hook the thread did not set (the per-thread one) goes here; so does the thread's own
    // when the thread does not answer in time.
    if (!hooks_.erase(hook) || ask(kRemove, hook) != hook) UnhookWindowsHookEx(hook);
}

void WinInputLock::releaseShiftKey() { SendKey(VK_SHIFT, false); }

}  // namespace qv::win
