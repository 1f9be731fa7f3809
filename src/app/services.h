// Small interfaces through which the program's behaviour reaches the outside world.
// The Win32 layer implements them for real; the native tests implement them with fakes.
// Paths are Windows paths ("F:\Program\quorvel\pass.st") on both sides: the behaviour
// builds them, the file system behind the interface interprets them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Message box buttons, icons and answers, with the values Windows gives them.
enum : unsigned {
    MbOk = 0x00,
    MbYesNo = 0x04,
    MbIconCritical = 0x10,
    MbIconExclamation = 0x30,
    MbIconInformation = 0x40,
};
enum MsgAnswer : int { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal message box and returns the button pressed.
    virtual int show(const std::string& text, const std::string& title, unsigned flags) = 0;
};

// File attribute bits, as Windows and directory listings use them.
enum : unsigned {
    AttrReadOnly = 0x01,
    AttrHidden = 0x02,
    AttrSystem = 0x04,
    AttrDirectory = 0x10,
    AttrArchive = 0x20,
};

struct FileInfo {
    unsigned attributes = 0;
    std::uint64_t size = 0;
    bool isDirectory() const { return (attributes & AttrDirectory) != 0; }
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual std::optional<FileInfo> stat(const std::string& path) const = 0;
    // Whole-file read; nothing when the file cannot be opened.
    virtual std::optional<std::string> read(const std::string& path) const = 0;
    // Creates or truncates the file and writes all of `data`; false on any failure.
    virtual bool write(const std::string& path, std::string_view data) = 0;
    // Moves `from` onto `to`, replacing `to` in one step when it exists.
    virtual bool replace(const std::string& from, const std::string& to) = 0;
    virtual bool remove(const std::string& path) = 0;
    virtual bool makeDirectory(const std::string& path) = 0;
    virtual bool copy(const std::string& from, const std::string& to) = 0;
    virtual bool setAttributes(const std::string& path, unsigned attributes) = 0;
};

// A directory listing with an attribute mask finds normal, read-only and archive
// entries always, and hidden, system and directory entries only when the mask has
// their bit (mask 35 finds hidden files, 51 also folders, 0 only ordinary files).
bool ListingFinds(const FileSystem& fs, const std::string& path, unsigned mask);
// "Exists" in the sense most of the program uses: any file or folder, whatever its
// attributes.
bool Exists(const FileSystem& fs, const std::string& path);

// Handle of a top-level window; 0 when none.
using WindowHandle = std::uintptr_t;

// The desktop around the program: other windows, the mouse pointer, the message queue.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Top-level window by exact title (and class when `className` is not empty); 0 when none.
    virtual WindowHandle findWindow(const std::string& className, const std::string& title) = 0;
    virtual void postClose(WindowHandle window) = 0;
    // Lets pending window messages run.
    virtual void doEvents() = 0;
    virtual void setBusyCursor(bool busy) = 0;
    virtual void sleep(unsigned milliseconds) = 0;
};

// Shell operations.
class Shell {
public:
    virtual ~Shell() = default;
    // Shell file operations without confirmation, progress display or recycle bin.
    virtual bool deleteSilent(const std::string& path) = 0;
    virtual bool copySilent(const std::string& from, const std::string& to) = 0;
    // The current user's start-up folder; empty when the shell cannot tell.
    virtual std::string userStartupFolder() = 0;
    // The shell's "open" verb; returns the platform's result (32 or less is a failure).
    virtual std::intptr_t open(const std::string& target, const std::string& directory, bool hidden) = 0;
    // Starts a program with normal focus; false when it could not be started.
    virtual bool run(const std::string& commandLine) = 0;
    // Description of the last platform error, possibly empty.
    virtual std::string lastErrorDescription() = 0;
};

enum class RegRoot : std::uint32_t { LocalMachine = 0x80000002u, CurrentUser = 0x80000001u };

struct RegValue {
    std::uint32_t type = 0;     // 1 string, 4 32-bit number
    std::string data;           // raw bytes as returned
};

class Registry {
public:
    virtual ~Registry() = default;
    virtual void deleteValue(RegRoot root, const std::string& key, const std::string& name) = 0;
    virtual bool setString(RegRoot root, const std::string& key, const std::string& name,
                           const std::string& data) = 0;
    virtual std::optional<RegValue> query(RegRoot root, const std::string& key,
                                          const std::string& name) = 0;
};

// Local date and time as whole seconds; the view formats it.
using DateTime = std::int64_t;

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() = 0;
    // The system's general date format ("06/12/2026 09:30:00" or the locale's own).
    virtual std::string generalDate(DateTime t) = 0;
};

struct OsVersionInfo {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t platformId = 0;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual OsVersionInfo version() = 0;
    virtual bool isNTAdmin() = 0;
    // Claims the program's single-instance name for this logon session; false when an
    // earlier instance holds it.
    virtual bool claimSingleInstance() = 0;
    // Full path of the running executable ("F:\Program\quorvel\quorvel.exe").
    virtual std::string executablePath() = 0;
};

// Drives by letter ("E").
class Drives {
public:
    virtual ~Drives() = default;
    enum Type : unsigned { Unknown = 0, NoRootDir = 1, Removable = 2, Fixed = 3, Remote = 4, CdRom = 5, RamDisk = 6 };
    virtual unsigned driveType(char letter) = 0;
    // True when the drive's medium can be read now.
    virtual bool isReady(char letter) = 0;
};

// A loaded resource-only string library.
class StringLibraryLoader {
public:
    virtual ~StringLibraryLoader() = default;
    using Handle = std::uintptr_t;
    virtual Handle load(const std::string& path) = 0;   // 0 on failure
    virtual bool free(Handle handle) = 0;
    // LoadStringA with the given buffer limit; nothing when the platform call fails.
    virtual std::optional<std::string> loadString(Handle handle, std::uint32_t id, int maxChars) = 0;
};

}  // namespace qv
