// What an armed lock needs after the key is pulled, when the program folder on the stick may
// be gone with it: the passphrase entry of the key and the lock duration, read while the key
// is there and kept in memory only.
#pragma once

#include <string>

#include "app/context.h"

namespace qv {

// Reads both into memory (at arming, and when a recorded lock is resumed).
void HoldLockNeeds(Context& ctx);
// Reads them again if they are held: the passphrase or the duration changed while armed.
void RefreshLockNeeds(Context& ctx);
// Lets them go and wipes the passphrase: the lock ended or was disarmed.
void ReleaseLockNeeds(Context& ctx);

// The lock screen's duration (1..299 hours, 0 for none) and the passphrase an unlock is
// checked against: what is held, else what the program folder holds now.
int LockHours(Context& ctx);
std::string LockPassphrase(Context& ctx);

// Overwrites the text's whole buffer before emptying it.
void WipeText(std::string& text);

}  // namespace qv
