// The lock-state record, and the autostart entries that bring the program back after a
// restart on Windows 98 and Me, so that a lock survives switching off. The record is kept in
// a per-machine folder on the PC, where it can be written while the stick is away; one left
// in the program folder by an earlier version is still read and removed.
#pragma once

#include <cstdint>
#include <string>

#include "app/context.h"

namespace qv {

inline constexpr const char* kRecordIni = "tplockts.ini";
inline constexpr const char* kRecordSerial1 = "tpserial1.dat";
inline constexpr const char* kRecordSerial2 = "tpserial2.dat";
inline constexpr const char* kRecordObsolete = "tlochg.dat";
inline constexpr const char* kRecordSection = "LVantrel";
inline constexpr const char* kRecordDriveKey = "LVantrelA";
inline constexpr const char* kRecordMarkerKey = "LVantrelC";
inline constexpr const char* kRecordMarker = "VantrelLockEnable";
inline constexpr const char* kStartupShortcut = "SCQuorvel.lnk";
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "Vantrel Quorvel";

// The folder the record is written to: the per-machine folder, or the program folder when the
// system cannot give one.
std::string LockRecordFolder(Context& ctx);

// Writes the record of the engaged lock (drive letter, marker, two copies of the key
// identity) and, on Windows 98 and Me, the autostart entries. Every step runs whatever
// became of the previous one.
void WriteLockIni(Context& ctx);
// Removes the record (from both folders) and the autostart entries; steps are independent
// as above.
void DelLockIni(Context& ctx);

// What the main window needs to decide whether to resume a recorded lock.
struct LockRecord {
    std::string folder;           // where it was found (per-machine folder first)
    bool complete = false;        // tplockts.ini, tpserial1.dat and tpserial2.dat all present
    bool markerOk = false;        // the marker key decodes to the marker text
    std::string driveLetter;      // decoded drive key
    std::string keyId;            // decoded first copy of the key identity
    bool secondCopyInsideFirst = false;
};
LockRecord ReadLockRecord(Context& ctx);
// Deletes the record's files from one folder.
void RemoveLockRecordFiles(Context& ctx, const std::string& folder);

// The all-users start-up folder derived from the user's one by text ("C:\WINDOWS\Start
// Menu\Programs\StartUp" -> "C:\WINDOWS\All Users\Start Menu\Programs\StartUp\"), ending
// with "\"; empty when the path has fewer than four parts. Whether it exists is not checked.
std::string AllUsersStartupFolder(const std::string& userFolder);
// The derived all-users folder when it exists as a folder (whatever its attributes), else empty.
std::string ExistingAllUsersStartupFolder(Context& ctx, const std::string& userFolder);

// Copies through the shell; a target already there is securely deleted first.
bool CopyFileSilent(Context& ctx, const std::string& source, const std::string& target);
// SDelete of the secure-delete library, then a plain delete when the file is still there.
std::int16_t SecureDelete(Context& ctx, const std::string& path);

}  // namespace qv
