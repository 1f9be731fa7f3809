#include "password/password_store.h"

#include <vector>

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
constexpr std::uint32_t kErrOverflow = 6;


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
        if (n > 32767) throw AppError(kErrOverflow, "Overflow");   // the count is a 16-bit number
    }
    return static_cast<int>(n);
}

std::string Section(int i) { return "Pass" + std::to_string(i); }

// A store whose framing or count cannot be read: its entries are lost either way.
bool IsDamagedStore(const AppError& e) { return e.number() == kBfErrFileDamaged || e.number() == kErrOverflow; }

// Moves the damaged store aside under the first free name, so it is never destroyed.
// False when it could not be moved; the user has then been told.
bool SetDamagedStoreAside(Context& ctx, const std::string& store) {
    FileSystem& fs = ctx.services().fs;
    std::string aside = store + ".damaged";
    for (int i = 2; Exists(fs, aside); ++i) aside = store + ".damaged" + std::to_string(i);
    const std::string shortName = aside.substr(aside.rfind('\\') + 1);
    const std::string question = "The passphrase store pass.st is damaged and cannot be read.\r\n\r\n"
                                 "Start a new passphrase store? The damaged file is kept as " + shortName + ".";
    if (ctx.message(question, kAppTitle, MbYesNo | MbIconExclamation) != IdYes) return false;
    if (fs.replace(store, aside)) return true;
    ctx.message("The damaged passphrase store could not be renamed to " + shortName + ".", kAppTitle,
                MbOk | MbIconCritical);
    return false;
}

// Number of the first entry for `usbKeyId`, 0 when there is none.
int FindEntry(Context& ctx, const std::string& plain, int n, const std::string& usbKeyId) {
    const std::string wanted = Trim(usbKeyId);
    for (int i = 1; i <= n; ++i) {
        if (Trim(ReadIni(ctx.services().fs, Section(i), "PassSerial", "", plain)) == wanted) return i;
    }
    return 0;
}

// The old store stays until the new one is completely written.
void EncipherStore(Context& ctx, const std::string& plain, const std::string& store) {
    clsBlowfish& bf = SharedBlowfish(ctx);
    bf.sInitBF(kCipherKey);
    bf.sFileEncrypt(plain, store);
}

void ReportError(Context& ctx, const std::exception& e) {
    const auto* app = dynamic_cast<const AppError*>(&e);
    ctx.message("Error: " + (app ? app->description() : std::string(e.what())), "Error", MbOk | MbIconCritical);
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
        int n = 0;
        if (Exists(fs, store)) {
            try {
                Decipher(ctx, store, plain);
                n = EntryCount(ctx, plain);
            } catch (const AppError& e) {
                if (!IsDamagedStore(e)) throw;
                if (!SetDamagedStoreAside(ctx, store)) return false;
                RemovePlainFile(ctx, plain);
            }
        }
        const int entry = n >= 1 ? FindEntry(ctx, plain, n, keyId) : 0;
        if (entry) write(Section(entry), "Password", newPassword);
        else appendEntry(n >= 1 ? n + 1 : 1);
        EncipherStore(ctx, plain, store);
    } catch (const std::exception& e) {
        ReportError(ctx, e);
        return false;
    }
    if (!failed) RefreshLockNeeds(ctx);   // an armed lock checks against the new one
    return !failed;
}

bool DeletePassword(Context& ctx, const std::string& usbKeyId) {
    const std::string store = ctx.programPath(kStoreFile);
    const std::string plain = ctx.programPath(kPlainFile);
    FileSystem& fs = ctx.services().fs;
    try {
        PlainFileGuard guard(ctx, plain);
        if (!Exists(fs, store)) return true;
        Decipher(ctx, store, plain);
        const int n = EntryCount(ctx, plain);
        const std::string wanted = Trim(usbKeyId);
        std::vector<std::pair<std::string, std::string>> kept;
        for (int i = 1; i <= n; ++i) {
            std::string serial = ReadIni(fs, Section(i), "PassSerial", "", plain);
            if (Trim(serial) != wanted) kept.emplace_back(serial, ReadIni(fs, Section(i), "Password", "", plain));
        }
        if (kept.size() == static_cast<std::size_t>(n)) return true;
        // Entries a damaged count only claims (no key, no passphrase) are not rewritten one by one.
        std::erase_if(kept, [](const auto& entry) { return entry.first.empty() && entry.second.empty(); });
        // The remaining entries, renumbered without gaps, into a fresh plain file.
        RemovePlainFile(ctx, plain);
        bool written = WriteIni(fs, "PassCnt", "PassCnt", std::to_string(kept.size()), plain);
        for (std::size_t i = 0; i < kept.size() && written; ++i) {
            const std::string section = Section(static_cast<int>(i + 1));
            written = WriteIni(fs, section, "PassSerial", kept[i].first, plain) &&
                      WriteIni(fs, section, "Password", kept[i].second, plain);
        }
        if (!written) throw AppError(kBfErrFileAccess, "Path/File access error");
        EncipherStore(ctx, plain, store);
    } catch (const std::exception& e) {
        ReportError(ctx, e);
        return false;
    }
    return true;
}

}  // namespace qv
