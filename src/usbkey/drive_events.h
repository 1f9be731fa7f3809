// The shell's drive notifications and the main window's polling timer: the key coming
// back unlocks, the key pulled out while armed locks.
#pragma once

#include <cstdint>

#include "app/context.h"

namespace qv {

constexpr std::int32_t kDriveRemoved = 0x80;
constexpr std::int32_t kDriveAdded = 0x100;

void HandleShellNotify(Context& ctx, std::int32_t event);
void UnlockByKey(Context& ctx);
// One tick of the main window's Timer1 (runs only after a lock resumed at start-up).
void PollForKey(Context& ctx, View& mainView);
// Closes an open set-password, password or shut-down dialog.
void CloseLockDialogs(Context& ctx);
// Closes the window titled "Runboard", if there is one.
void CloseRunboard(Context& ctx);

}  // namespace qv
