#include "password/password_store.h"

#include "app/ini_file.h"
#include "app/text.h"
#include "lock/lock_needs.h"
#include "password/cipher_key.h"
#include "password/plain_file_guard.h"
#include "password/shared_blowfish.h"

namespace qv {

namespace {

const char* const kStoreFile = "pass.st";
const char* const kPlainFile = "pass.ini";


// Deciphers the store into the plain file.
void Decipher(Context& ctx, const std::string& store, const std::string& plain) {
    clsBlowfish& bf = SharedBlowfish(ctx);
    bf.sInitBF(kCipherKey);
    bf.sFileDecrypt(store, plain);
}

// Number of entries: a count that is empty or not all digits means none.
int EntryCount(Context& ctx, const std::string& plain) {
    std::string text = ReadIni(ctx.services().fs, "PassCnt", "PassCnt", "0", plain);
    if (text.empty() || !IsAllDigits(text)) return 0;
    long n = 0;
    for (char c : Trim(text)) {
        n = n * 10 + (c - '0');
        if (n > 32767) throw AppError(6, "Overflow");   // the count is a 16-bit number
    }
    return static_cast<int>(n);
}

std::string Section(int i) { return "Pass" + std::to_string(i); }

// Number of the first entry for `usbKeyId`, 0 when there is none.
int FindEntry(Context& ctx, const std::string& plain, int n, const std::string& usbKeyId) {
    const std::string wanted = Trim(usbKeyId);
    for (int i = 1; i <= n; ++i) {
        if (Trim(ReadIni(ctx.services().fs, Section(i), "PassSerial", "", plain)) == wanted) return i;
    }
    return 0;
}

}  // namespace

std::string GetPassword(Context& ctx, const std::string& usbKeyId) {
    const std::string store = ctx.programPath(kStoreFile);
    const std::string plain = ctx.programPath(kPlainFile);
    try {
        PlainFileGuard guard(ctx, plain);
        if (!Exists(ctx.services().fs, store)) return {};
        Decipher(ctx, store, plain);
        int entry = FindEntry(ctx, plain, EntryCount(ctx, plain), usbKeyId);
        return entry ? ReadIni(ctx.services().fs, Section(entry), "Password", "", plain) : std::string();
    } catch (const std::exception&) {
        return {};
    }
}

bool SavePassword(Context& ctx, const std::string& newPassword) {
    const std::string store = ctx.programPath(kStoreFile);
    const std::string plain = ctx.programPath(kPlainFile);
    const std::string keyId = ctx.globals().lockUSBKeyId;
    FileSystem& fs = ctx.services().fs;
    bool failed = false;
    auto write = [&](const std::string& section, const std::string& key, const std::string& value) {
        if (WriteIni(fs, section, key, value, plain)) return;
        ctx.message("Failed to write Pass(" + key + ") file.", kAppTitle, MbOk | MbIconCritical);
        failed = true;
    };
    auto appendEntry = [&](int number) {
        write("PassCnt", "PassCnt", std::to_string(number));
        write(Section(number), "PassSerial", keyId);
        write(Section(number), "Password", newPassword);
    };

    try {
        PlainFileGuard guard(ctx, plain);
        if (Exists(fs, store)) {
            Decipher(ctx, store, plain);
            int n = EntryCount(ctx, plain);
            int entry = n >= 1 ? FindEntry(ctx, plain, n, keyId) : 0;
            if (entry) write(Section(entry), "Password", newPassword);
            else appendEntry(n >= 1 ? n + 1 : 1);
        } else {
            appendEntry(1);
        }
        // The old store stays until the new one is completely written.
        clsBlowfish& bf = SharedBlowfish(ctx);
        bf.sInitBF(kCipherKey);
        bf.sFileEncrypt(plain, store);
    } catch (const AppError& e) {
        ctx.message("Error: " + e.description(), "Error", MbOk | MbIconCritical);
        return false;
    } catch (const std::exception& e) {
        ctx.message(std::string("Error: ") + e.what(), "Error", MbOk | MbIconCritical);
        return false;
    }
    if (!failed) RefreshLockNeeds(ctx);   // an armed lock checks against the new one
    return !failed;
}

}  // namespace qv
