#include "lock/lock_needs.h"

#include "lock/lock_timer.h"
#include "password/password_store.h"

namespace qv {

void WipeText(std::string& text) {
    text.resize(text.capacity());   // within the capacity: the buffer is not moved
    volatile char* p = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) p[i] = 0;
    text.clear();
}

LockNeeds::~LockNeeds() { WipeText(passphrase); }

void HoldLockNeeds(Context& ctx) {
    Globals& g = ctx.globals();
    std::string passphrase = GetPassword(ctx, g.lockUSBKeyId);
    WipeText(g.lockNeeds.passphrase);
    g.lockNeeds.passphrase.swap(passphrase);
    WipeText(passphrase);
    g.lockNeeds.hours = ReadLockTimerDuration(ctx);
    g.lockNeeds.held = true;
}

void RefreshLockNeeds(Context& ctx) {
    if (ctx.globals().lockNeeds.held) HoldLockNeeds(ctx);
}

void ReleaseLockNeeds(Context& ctx) {
    LockNeeds& needs = ctx.globals().lockNeeds;
    WipeText(needs.passphrase);
    needs.hours = 0;
    needs.held = false;
}

int LockHours(Context& ctx) {
    const LockNeeds& needs = ctx.globals().lockNeeds;
    return needs.held ? needs.hours : ReadLockTimerDuration(ctx);
}

std::string LockPassphrase(Context& ctx) {
    const LockNeeds& needs = ctx.globals().lockNeeds;
    return needs.held ? needs.passphrase : GetPassword(ctx, ctx.globals().lockUSBKeyId);
}

}  // namespace qv
