#include "app/lock_record.h"

#include <vector>

#include "app/ini_file.h"
#include "app/record_encoding.h"
#include "app/reg32.h"

namespace qv {

namespace {

// Existence as the record code tests it: hidden and read-only files count, folders do not.
constexpr unsigned kRecordMask = AttrHidden;
// Before overwriting or securely deleting, system and archive files count as well.
constexpr unsigned kAnyFileMask = AttrHidden | AttrSystem | AttrArchive;

bool FileThere(Context& ctx, const std::string& path, unsigned mask = kRecordMask) {
    return ListingFinds(ctx.services().fs, path, mask);
}

void DeleteIfThere(Context& ctx, const std::string& path) {
    if (FileThere(ctx, path)) ctx.deleteFileSilent(path);
}

// Folder + name, with exactly one "\" between them.
std::string InFolder(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

bool IsWin9x(Context& ctx) {
    const std::int16_t os = ctx.globals().osCode;
    return os == 3 || os == 4;
}

// The first line of a file, up to CR or LF; empty when the file cannot be read.
std::string FirstLine(Context& ctx, const std::string& path) {
    std::optional<std::string> data = ctx.services().fs.read(path);
    if (!data) return {};
    return data->substr(0, data->find_first_of("\r\n"));
}

constexpr const char* kRecordFiles[] = {kRecordIni, kRecordObsolete, kRecordSerial1, kRecordSerial2};

bool RecordComplete(Context& ctx, const std::string& folder) {
    for (const char* name : {kRecordIni, kRecordSerial1, kRecordSerial2})
        if (!FileThere(ctx, InFolder(folder, name))) return false;
    return true;
}

}  // namespace

std::string LockRecordFolder(Context& ctx) {
    std::string folder = ctx.services().system.lockRecordFolder();
    return folder.empty() ? ctx.globals().programFolder : folder;
}

std::string AllUsersStartupFolder(const std::string& userFolder) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t cut = userFolder.find('\\', start);
        parts.push_back(userFolder.substr(start, cut == std::string::npos ? std::string::npos : cut - start));
        if (cut == std::string::npos) break;
        start = cut + 1;
    }
    if (parts.size() < 4) return {};
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        out += (i == 2) ? "\\All Users\\" : "\\";
        out += parts[i];
    }
    out.erase(0, 1);
    if (out.back() != '\\') out += '\\';
    return out;
}

std::string ExistingAllUsersStartupFolder(Context& ctx, const std::string& userFolder) {
    std::string folder = AllUsersStartupFolder(userFolder);
    if (folder.empty()) return {};
    std::optional<FileInfo> info = ctx.services().fs.stat(folder);
    return (info && info->isDirectory()) ? folder : std::string();
}

std::int16_t SecureDelete(Context& ctx, const std::string& path) {
    std::int16_t result = ctx.services().secureDelete.sDelete(path);
    if (FileThere(ctx, path, kAnyFileMask)) ctx.services().fs.remove(path);
    return result;
}

bool CopyFileSilent(Context& ctx, const std::string& source, const std::string& target) {
    if (FileThere(ctx, target, kAnyFileMask)) SecureDelete(ctx, target);
    return ctx.services().shell.copySilent(source, target);
}

void WriteLockIni(Context& ctx) {
    FileSystem& fs = ctx.services().fs;
    Globals& g = ctx.globals();
    const std::string folder = LockRecordFolder(ctx);
    const std::string ini = InFolder(folder, kRecordIni);

    DeleteIfThere(ctx, ini);
    WriteIni(fs, kRecordSection, kRecordDriveKey, EncodeDigitText(g.lockDriveLetter), ini);
    WriteIni(fs, kRecordSection, kRecordMarkerKey, EncodeDigitText(kRecordMarker), ini);
    fs.write(InFolder(folder, kRecordSerial1), EncodeDigitText(g.lockUSBKeyId) + "\r\n");
    fs.write(InFolder(folder, kRecordSerial2), EncodeOffsetText(g.lockUSBKeyId) + "\r\n");

    const std::string userFolder = ctx.services().shell.userStartupFolder();
    if (userFolder.empty()) return;
    if (!IsWin9x(ctx)) return;   // the NT family gets no autostart entry of ours

    const std::string shortcut = ctx.programPath(kStartupShortcut);
    CopyFileSilent(ctx, shortcut, InFolder(userFolder, kStartupShortcut));
    const std::string allUsers = ExistingAllUsersStartupFolder(ctx, userFolder);
    if (!allUsers.empty()) CopyFileSilent(ctx, shortcut, allUsers + kStartupShortcut);
    SetRegString(ctx, RegRoot::LocalMachine, kRunKey, kRunValueName, g.programFolder + "\\" + g.exeName);
}

void RemoveLockRecordFiles(Context& ctx, const std::string& folder) {
    for (const char* name : kRecordFiles) DeleteIfThere(ctx, InFolder(folder, name));
}

void DelLockIni(Context& ctx) {
    RemoveLockRecordFiles(ctx, LockRecordFolder(ctx));
    RemoveLockRecordFiles(ctx, ctx.globals().programFolder);

    const std::string userFolder = ctx.services().shell.userStartupFolder();
    if (userFolder.empty()) return;

    DeleteIfThere(ctx, InFolder(userFolder, kStartupShortcut));
    if (!IsWin9x(ctx)) return;   // the registry is left alone on the NT family
    const std::string allUsers = ExistingAllUsersStartupFolder(ctx, userFolder);
    if (!allUsers.empty()) DeleteIfThere(ctx, allUsers + kStartupShortcut);
    DeleteRegValue(ctx, RegRoot::LocalMachine, kRunKey, kRunValueName);
}

LockRecord ReadLockRecord(Context& ctx) {
    LockRecord record;
    record.folder = LockRecordFolder(ctx);
    record.complete = RecordComplete(ctx, record.folder);
    if (!record.complete) {   // an older record, kept in the program folder
        record.folder = ctx.globals().programFolder;
        record.complete = RecordComplete(ctx, record.folder);
    }
    if (!record.complete) return record;
    const std::string ini = InFolder(record.folder, kRecordIni);
    const std::string serial1 = InFolder(record.folder, kRecordSerial1);
    const std::string serial2 = InFolder(record.folder, kRecordSerial2);

    const FileSystem& fs = ctx.services().fs;
    record.markerOk = DecodeDigitText(ReadIni(fs, kRecordSection, kRecordMarkerKey, "", ini)) == kRecordMarker;
    record.driveLetter = DecodeDigitText(ReadIni(fs, kRecordSection, kRecordDriveKey, "", ini));
    record.keyId = DecodeDigitText(FirstLine(ctx, serial1));
    const std::string second = DecodeOffsetText(FirstLine(ctx, serial2));
    // An empty identity can never match an attached key, so it never makes a valid record.
    record.secondCopyInsideFirst = !record.keyId.empty() && record.keyId.find(second) != std::string::npos;
    return record;
}

}  // namespace qv
