// The lock duration: a whole number of hours kept enciphered in tmhr.tmp in the program
// folder, deciphered into tmhr.ini only for the length of one call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/context.h"

namespace qv {

// Highest duration the settings dialogs accept, and the highest the lock screen accepts.
inline constexpr int kDialogMaxHours = 24;
inline constexpr int kLockScreenMaxHours = 299;
// What the settings dialogs store when there is no valid duration.
inline constexpr const char* kDefaultLockHours = "24";

// The hours a stored text stands for when it is valid for a reader whose range ends at
// `maxHours`: trimmed, not empty, digits only, a 16-bit value, 1..maxHours. 0 otherwise.
int ValidLockHours(std::string_view text, int maxHours);
// The first item of the plain file: up to the first comma or line end, surrounding double
// quotes dropped.
std::string FirstLockTimerItem(std::string_view content);

// Stores `text` as the duration. False when it could not be stored; the previous tmhr.tmp
// is then unchanged.
bool WriteLockTimer(Context& ctx, const std::string& text);
// The stored duration in 1..24, or 0 when there is none, it is out of that range, or the
// file cannot be deciphered.
std::int16_t ReadLockTimerHours(Context& ctx);
// The lock screen's reading: the stored duration in 1..299, or 0 for no expiry.
int ReadLockTimerDuration(Context& ctx);
// Removes tmhr.tmp and any tmhr.ini.
void DeleteLockTimer(Context& ctx);

// The moment a lock opened at `now` with a duration of `hours` ends.
DateTime UnlockTimeFor(DateTime now, int hours);

}  // namespace qv
