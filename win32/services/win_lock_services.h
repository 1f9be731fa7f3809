// The lock screen's platform pieces on Win32: the keyboard hook, the synthetic Shift key-up
// and the shut-down calls.
#pragma once

#include <windows.h>

#include <atomic>
#include <set>

#include "lock/input_lock.h"
#include "lock/system_power.h"

namespace qv::win {

// Discards every keystroke: -1 for every call, never passed on to the next hook.
LRESULT CALLBACK BlockKeyboardProc(int code, WPARAM message, LPARAM data);
// Injects one key-down or key-up of `virtualKey`; the number of events the system accepted.
UINT SendKey(WORD virtualKey, bool down);

// The desktop-wide hook runs on a thread of its own that does nothing else: the system drops
// a low-level hook whose thread is slow to answer, and the user-interface thread may be busy
// (a USB device enumeration) at any time. The thread is started with the program and waits:
// a lock then only asks it for the hook, and keys are swallowed a thread start sooner.
class WinInputLock : public InputLock {
public:
    WinInputLock();
    WinInputLock(const WinInputLock&) = delete;
    WinInputLock& operator=(const WinInputLock&) = delete;
    ~WinInputLock() override;

    std::uintptr_t installKeyboardHook(bool perThread) override;
    void removeKeyboardHook(std::uintptr_t hook) override;
    void releaseShiftKey() override;

private:
    static DWORD WINAPI Serve(void* self);
    // Has the hook thread run `command` (kInstall or kRemove of `hook`) and waits for its answer.
    HHOOK ask(UINT command, HHOOK hook);

    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HANDLE answered_ = nullptr;   // set by the hook thread when it is ready and after each command
    bool ready_ = false;
    bool stalled_ = false;
    std::atomic<HHOOK> answer_{nullptr};
    std::set<HHOOK> hooks_;       // the hook thread's, still in place
};

class WinSystemPower : public SystemPower {
public:
    bool shutdownNt() override;
    bool exitWindows98() override;
    bool restart() override;
    bool logOff() override;
};

}  // namespace qv::win
