#include "lock/lock_timer.h"

#include "app/text.h"
#include "lock/lock_needs.h"
#include "password/cipher_key.h"
#include "password/plain_file_guard.h"
#include "password/shared_blowfish.h"

namespace qv {

namespace {

const char* const kStoredFile = "tmhr.tmp";
const char* const kPlainFile = "tmhr.ini";


// The stored duration valid for `maxHours`, 0 for none. A file that cannot be deciphered
// or read counts as none.
int ReadStoredHours(Context& ctx, int maxHours) {
    FileSystem& fs = ctx.services().fs;
    const std::string stored = ctx.programPath(kStoredFile);
    const std::string plain = ctx.programPath(kPlainFile);
    if (!Exists(fs, stored)) return 0;
    try {
        PlainFileGuard guard(ctx, plain);
        clsBlowfish& bf = SharedBlowfish(ctx);
        bf.sInitBF(kCipherKey);
        bf.sFileDecrypt(stored, plain);
        auto content = fs.read(plain);
        return content ? ValidLockHours(FirstLockTimerItem(*content), maxHours) : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

int ValidLockHours(std::string_view text, int maxHours) {
    const std::string t = Trim(text);
    if (t.empty() || !IsAllDigits(t)) return 0;
    long value = 0;
    for (char c : t) {
        value = value * 10 + (c - '0');
        if (value > 32767) return 0;   // does not fit the 16-bit number it is read into
    }
    return value >= 1 && value <= maxHours ? static_cast<int>(value) : 0;
}

std::string FirstLockTimerItem(std::string_view content) {
    std::size_t at = content.find_first_not_of(" \t");
    if (at == std::string_view::npos) return {};
    if (content[at] == '"') {
        const std::size_t close = content.find_first_of("\"\r\n", at + 1);
        return std::string(content.substr(at + 1, close == std::string_view::npos ? close : close - at - 1));
    }
    const std::size_t end = content.find_first_of(",\r\n", at);
    return std::string(content.substr(at, end == std::string_view::npos ? end : end - at));
}

bool WriteLockTimer(Context& ctx, const std::string& text) {
    FileSystem& fs = ctx.services().fs;
    const std::string plain = ctx.programPath(kPlainFile);
    try {
        PlainFileGuard guard(ctx, plain);
        // Nothing is enciphered unless this call's text is completely in the plain file.
        if (!fs.write(plain, text + "\r\n")) return false;
        clsBlowfish& bf = SharedBlowfish(ctx);
        bf.sInitBF(kCipherKey);
        // The cipher writes beside tmhr.tmp and replaces it only when the new one is whole.
        bf.sFileEncrypt(plain, ctx.programPath(kStoredFile));
    } catch (const std::exception&) {
        return false;
    }
    RefreshLockNeeds(ctx);   // an armed lock counts the new duration
    return true;
}

std::int16_t ReadLockTimerHours(Context& ctx) {
    return static_cast<std::int16_t>(ReadStoredHours(ctx, kDialogMaxHours));
}

int ReadLockTimerDuration(Context& ctx) { return ReadStoredHours(ctx, kLockScreenMaxHours); }

void DeleteLockTimer(Context& ctx) {
    const std::string stored = ctx.programPath(kStoredFile);
    if (Exists(ctx.services().fs, stored)) ctx.deleteFileSilent(stored);
    RemovePlainFile(ctx, ctx.programPath(kPlainFile));
    RefreshLockNeeds(ctx);
}

DateTime UnlockTimeFor(DateTime now, int hours) { return now + static_cast<DateTime>(hours) * 3600; }

}  // namespace qv
