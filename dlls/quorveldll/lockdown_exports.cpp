// QuorvelDll.dll: the lock-down library. Each operation takes one flag: 0 switches its
// feature off (locks it), any other value (the program passes -1) switches it on again.
// The result is 1 when everything asked for was done and 0 otherwise; callers may ignore it.
// Repeated calls with the same flag are harmless, and a feature switched off stays off until
// the matching call switches it on. All calls come from the program's user-interface thread.
#include <windows.h>

#include "lock/policy_restore.h"
#include "special_keys.h"
#include "taskbar.h"
#include "win_policy_registry.h"

namespace {

HINSTANCE module = nullptr;

qvdll::WinPolicyRegistry& Registry() {
    static qvdll::WinPolicyRegistry registry;
    return registry;
}

qv::PolicyLock& Policies() {
    static qv::PolicyLock lock(Registry());
    return lock;
}

// Windows 95, 98 and Me set the top bit of the version.
bool IsWin9x() { return (GetVersion() & 0x80000000u) != 0; }

LONG Result(bool ok) { return ok ? 1 : 0; }

// Nothing may escape into the caller; an allocation failure is an ordinary failure.
template <typename Operation>
LONG Guarded(Operation operation) {
    try {
        return operation();
    } catch (...) {
        return 0;
    }
}

}  // namespace

extern "C" {

// Special keys on Windows 2000 and later: the key hook for the Windows keys, Alt+Tab,
// Alt+Esc and Ctrl+(Shift+)Esc, and the Ctrl+Alt+Del screen's Task Manager, switch-user and
// log-off entries through their policies. Locking the workstation stays possible.
LONG WINAPI LockW2kSpecialKey(LONG flag) {
    return Guarded([flag] {
        if (flag == 0) {
            bool hooked = qvdll::HoldSpecialKeyHook(module, qvdll::kOwnerW2k);
            bool policies = Policies().switchOff(qv::LockDownFeature::SpecialKeys);
            return Result(hooked && policies);
        }
        qvdll::ReleaseSpecialKeyHook(qvdll::kOwnerW2k);
        return Result(Policies().switchOn(qv::LockDownFeature::SpecialKeys));
    });
}

// Special keys on Windows 98 and Me: the system treats a running screen saver as a reason to
// ignore Ctrl+Alt+Del and Alt+Tab. That switch means nothing on Windows NT, where this call
// only holds the key hook of LockW2kSpecialKey (without its policies), so a program that
// calls the wrong one still gets the keys swallowed.
LONG WINAPI LockW98SpecialKey(LONG flag) {
    if (IsWin9x()) {
        BOOL previous = FALSE;
        return Result(SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, flag == 0 ? TRUE : FALSE, &previous, 0));
    }
    if (flag == 0) return Result(qvdll::HoldSpecialKeyHook(module, qvdll::kOwnerW98));
    qvdll::ReleaseSpecialKeyHook(qvdll::kOwnerW98);
    return 1;
}

// The Task Manager, through the user's DisableTaskMgr policy. Switching it on also puts back
// policies and task bars left switched off by a lock that ended abnormally.
LONG WINAPI LockW2kTaskManager(LONG flag) {
    return Guarded([flag] {
        if (flag == 0) return Result(Policies().switchOff(qv::LockDownFeature::TaskManager));
        qvdll::RepairTaskbars(Registry());
        return Result(Policies().switchOn(qv::LockDownFeature::TaskManager));
    });
}

// Every task bar and the Start button.
LONG WINAPI LockWAllTaskbar(LONG flag) {
    return Guarded([flag] {
        if (flag == 0)
            qvdll::HideTaskbars(Registry());
        else
            qvdll::ShowTaskbars(Registry());
        return LONG{1};
    });
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        module = instance;
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while the process goes on: the hook would call into freed code. Policies and
        // task bars stay as they are, for the next start's repair.
        qvdll::DropSpecialKeyHook();
    }
    return TRUE;
}

}  // extern "C"
