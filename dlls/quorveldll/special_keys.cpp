#include "special_keys.h"

namespace qvdll {

namespace {

HHOOK hook = nullptr;
unsigned owners = 0;

LRESULT CALLBACK SpecialKeyProc(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
        bool alt = (key->flags & LLKHF_ALTDOWN) != 0;
        bool ctrl = (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
        if (IsSpecialKey(key->vkCode, alt, ctrl)) return 1;
    }
    return CallNextHookEx(nullptr, code, message, data);
}

}  // namespace

bool IsSpecialKey(DWORD virtualKey, bool altDown, bool ctrlDown) {
    switch (virtualKey) {
    case VK_LWIN:
    case VK_RWIN:
        return true;
    case VK_TAB:
        return altDown;
    case VK_ESCAPE:
        return altDown || ctrlDown;   // Ctrl+Shift+Esc included
    default:
        return false;
    }
}

bool HoldSpecialKeyHook(HINSTANCE module, HookOwner owner) {
    owners |= owner;
    if (!hook) hook = SetWindowsHookExA(WH_KEYBOARD_LL, SpecialKeyProc, module, 0);
    return hook != nullptr;
}

void ReleaseSpecialKeyHook(HookOwner owner) {
    owners &= ~static_cast<unsigned>(owner);
    if (owners == 0) DropSpecialKeyHook();
}

void DropSpecialKeyHook() {
    if (hook) UnhookWindowsHookEx(hook);
    hook = nullptr;
}

}  // namespace qvdll
