// Swallowing keystrokes while the computer is locked, and releasing a held Shift key after.
#pragma once

#include <cstdint>

namespace qv {

class InputLock {
public:
    virtual ~InputLock() = default;
    // Installs a keyboard hook that discards every keystroke. perThread: only the program's
    // own user-interface thread (Windows 98 and Me); otherwise the whole desktop. Returns the
    // hook's handle, 0 when it could not be installed.
    virtual std::uintptr_t installKeyboardHook(bool perThread) = 0;
    // Removes a hook installed above; 0 is ignored.
    virtual void removeKeyboardHook(std::uintptr_t hook) = 0;
    // A synthetic Shift key-up, so a Shift held while the lock ends does not stay down.
    virtual void releaseShiftKey() = 0;
};

}  // namespace qv
