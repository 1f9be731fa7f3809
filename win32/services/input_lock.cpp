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

std::uintptr_t WinInputLock::installKeyboardHook(bool perThread) {
    // Windows 98 and Me have no low-level hook: only keys aimed at this program's thread can
    // be caught there.
    HHOOK hook = perThread ? SetWindowsHookExA(WH_KEYBOARD, BlockKeyboardProc, nullptr, GetCurrentThreadId())
                           : SetWindowsHookExA(WH_KEYBOARD_LL, BlockKeyboardProc, OwnModule(), 0);
    return reinterpret_cast<std::uintptr_t>(hook);
}

void WinInputLock::removeKeyboardHook(std::uintptr_t hook) {
    if (hook != 0) UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook));
}

void WinInputLock::releaseShiftKey() { SendKey(VK_SHIFT, false); }

}  // namespace qv::win
