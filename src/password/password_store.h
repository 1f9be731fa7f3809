// The password store: one password per USB key identity, kept enciphered in pass.st and
// deciphered into pass.ini only for the length of one call.
#pragma once

#include <string>

#include "app/context.h"

namespace qv {

// The password stored for `usbKeyId` (identities compared trimmed, case-sensitively), as
// stored; empty when there is no store, no entry, or any failure. Shows nothing.
std::string GetPassword(Context& ctx, const std::string& usbKeyId);
// Stores `newPassword` for the key in ctx.globals().lockUSBKeyId, replacing that key's
// entry or appending one. False when an INI write failed or an error occurred; the user
// has then been told in a message box.
// A store too damaged to read is offered to be set aside (kept under a new name) and
// started anew.
bool SavePassword(Context& ctx, const std::string& newPassword);
// Removes every entry of `usbKeyId` from the store, renumbering the others. False, after a
// message, when the store could not be rewritten; it is then unchanged.
bool DeletePassword(Context& ctx, const std::string& usbKeyId);

}  // namespace qv
