// The low-level keyboard hook that swallows the special key combinations.
#pragma once

#include <windows.h>

namespace qvdll {

// The Windows keys, Alt+Tab, Alt+Esc, Ctrl+Esc and Ctrl+Shift+Esc.
bool IsSpecialKey(DWORD virtualKey, bool altDown, bool ctrlDown);

// Who wants the hook: it stays installed while any of them does.
enum HookOwner : unsigned { kOwnerW2k = 1, kOwnerW98 = 2 };

// Installs the hook on the calling thread, which must run a message loop; false when the
// system refuses it. Repeated calls keep the one hook.
bool HoldSpecialKeyHook(HINSTANCE module, HookOwner owner);
// Removes the hook once no owner is left.
void ReleaseSpecialKeyHook(HookOwner owner);
// The library is being unloaded: the hook must not outlive its procedure.
void DropSpecialKeyHook();

}  // namespace qvdll
