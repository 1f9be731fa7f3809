// Arming and disarming the lock from the main window (Lock and Unlock commands).
#pragma once

#include "app/context.h"

namespace qv {

// cmdLock_Click / mnuFileActivate: checks rights, key and passphrase, shows the protection
// settings and asks for drive notifications; the main window is then armed.
void ArmLock(Context& ctx);
// cmdUnlock_Click / mnuFileDeactivate: asks, then cancels the notifications.
void DisarmLock(Context& ctx);

}  // namespace qv
