// The program's services on Win32.
#pragma once

#include <windows.h>

#include "app/program_strings.h"
#include "app/secure_delete_library.h"
#include "app/services.h"
#include "lock/lockdown_library.h"
#include "usbkey/usb_serial_library.h"

namespace qv::win {

// The system's text for an error number, without its line break; empty for 0.
std::string ErrorText(DWORD error);

class WinFileSystem : public FileSystem {
public:
    std::optional<FileInfo> stat(const std::string& path) const override;
    std::optional<std::string> read(const std::string& path) const override;
    bool write(const std::string& path, std::string_view data) override;
    bool replace(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    bool makeDirectory(const std::string& path) override;
    bool copy(const std::string& from, const std::string& to) override;
    bool setAttributes(const std::string& path, unsigned attributes) override;
};

class WinMessageBoxes : public MessageBoxes {
public:
    int show(const std::string& text, const std::string& title, unsigned flags) override;
};

class WinDesktop : public Desktop {
public:
    WindowHandle findWindow(const std::string& className, const std::string& title) override;
    void postClose(WindowHandle window) override;
    void doEvents() override;
    void setBusyCursor(bool busy) override;
    void sleep(unsigned milliseconds) override;
};

class WinShell : public Shell {
public:
    bool deleteSilent(const std::string& path) override;
    bool copySilent(const std::string& from, const std::string& to) override;
    std::string userStartupFolder() override;
    std::intptr_t open(const std::string& target, const std::string& directory, bool hidden) override;
    bool run(const std::string& commandLine) override;
    std::string lastErrorDescription() override;
};

class WinRegistry : public Registry {
public:
    void deleteValue(RegRoot root, const std::string& key, const std::string& name) override;
    bool setString(RegRoot root, const std::string& key, const std::string& name, const std::string& data) override;
    std::optional<RegValue> query(RegRoot root, const std::string& key, const std::string& name) override;
};

class WinDrives : public Drives {
public:
    unsigned driveType(char letter) override;
    bool isReady(char letter) override;
};

class WinClock : public Clock {
public:
    DateTime now() override;
    std::string generalDate(DateTime t) override;
};

class WinSystemInfo : public SystemInfo {
public:
    OsVersionInfo version() override;
    bool isNTAdmin() override;
    bool claimSingleInstance() override;
    std::string executablePath() override;

private:
    HANDLE mutex_ = nullptr;
};

class WinStringLoader : public StringLibraryLoader {
public:
    Handle load(const std::string& path) override;
    bool free(Handle handle) override;
    std::optional<std::string> loadString(Handle handle, std::uint32_t id, int maxChars) override;
};

class WinProgramStrings : public ProgramStrings {
public:
    std::string get(std::uint32_t id) override;
    std::optional<std::string> customResource(int id) override;
};

// The outside libraries, loaded by name from the program folder when first needed.
class WinLockDownLibrary : public LockDownLibrary {
public:
    void lockW2kSpecialKey(std::int32_t flag) override { call("LockW2kSpecialKey", flag); }
    void lockW98SpecialKey(std::int32_t flag) override { call("LockW98SpecialKey", flag); }
    void lockW2kTaskManager(std::int32_t flag) override { call("LockW2kTaskManager", flag); }
    void lockWAllTaskbar(std::int32_t flag) override { call("LockWAllTaskbar", flag); }

private:
    void call(const char* operation, std::int32_t flag);
    HMODULE module_ = nullptr;
};

class WinUsbSerialLibrary : public UsbSerialLibrary {
public:
    bool getUSBSerial(char* buffer, std::int16_t& length, std::int16_t& count, std::int16_t& status) override;

private:
    HMODULE module_ = nullptr;
};

class WinSecureDeleteLibrary : public SecureDeleteLibrary {
public:
    std::int16_t sDelete(const std::string& path) override;

private:
    HMODULE module_ = nullptr;
};

}  // namespace qv::win
