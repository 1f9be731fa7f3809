// Process-wide values and the services every part of the program reaches.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/form.h"
#include "app/program_strings.h"
#include "app/secure_delete_library.h"
#include "app/services.h"
#include "app/string_library.h"
#include "app/window_links.h"
#include "help/http_client.h"
#include "lock/lockdown_library.h"
#include "usbkey/usb_device_list.h"
#include "usbkey/usb_serial_library.h"

namespace qv {

class InputLock;     // lock/input_lock.h
class SystemPower;   // lock/system_power.h

class clsBlowfish;

struct Services {
    FileSystem& fs;
    MessageBoxes& messages;
    Desktop& desktop;
    Shell& shell;
    Registry& registry;
    Drives& drives;
    Clock& clock;
    SystemInfo& system;
    FormHost& forms;
    StringLibraryLoader& stringLoader;
    ProgramStrings& programStrings;
    LockDownLibrary& lockDown;
    UsbSerialLibrary& usbSerial;
    SecureDeleteLibrary& secureDelete;
    HttpClient& http;
};

// What an armed lock needs once the stick may be gone (lock/lock_needs.h); the passphrase
// is wiped when it is let go.
struct LockNeeds {
    LockNeeds() = default;
    LockNeeds(const LockNeeds&) = delete;
    LockNeeds& operator=(const LockNeeds&) = delete;
    ~LockNeeds();
    bool held = false;
    std::string passphrase;
    int hours = 0;   // 0: the lock has no expiry
};

// Values set once and kept for the life of the process.
struct Globals {
    std::string programFolder;   // folder of the running executable, no trailing "\"
    std::string exeName;         // executable name without extension
    std::string languageId;
    std::string charsetSetting;
    std::int16_t osCode = 0;
    std::string ownerName = "User";
    std::string skinFilePath;

    std::string lockDriveLetter;
    std::string selectedUSBKeyId;
    std::string lockUSBKeyId;
    UsbDeviceList usbDevices;
    LockNeeds lockNeeds;

    // 16-bit flags, -1 true and 0 false.
    std::int16_t lockScreenActive = 0;
    std::int16_t passwordDialogOpen = 0;
    std::int16_t shutDownDialogOpen = 0;
    std::int16_t fromLockCommand = 0;
    std::int16_t setPasswordDialogOpen = 0;
    bool lockResumedAtStartup = false;
    // The main window's count of USB devices at its last polling tick.
    std::int16_t deviceCountSeen = 0;

    // The lock dialogs while they are open, so an unlock can close them.
    Form* setPasswordForm = nullptr;
    Form* passwordForm = nullptr;
    Form* shutDownForm = nullptr;
};

class Context {
public:
    explicit Context(Services services) : services_(services), strings_(services_, globals_) {}
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    Services& services() { return services_; }
    // The main window, the lock screen and the drive notifications, once they exist.
    MainWindow* mainWindow() const { return mainWindow_; }
    LockScreenControl* lockScreen() const { return lockScreen_; }
    DriveNotifications* driveNotifications() const { return driveNotifications_; }
    void setMainWindow(MainWindow* w) { mainWindow_ = w; }
    void setLockScreen(LockScreenControl* l) { lockScreen_ = l; }
    void setDriveNotifications(DriveNotifications* d) { driveNotifications_ = d; }
    // The keyboard hook and Shift release, and the shut-down calls, as the platform gives them.
    InputLock* inputLock() const { return inputLock_; }
    SystemPower* systemPower() const { return systemPower_; }
    void setInputLock(InputLock* i) { inputLock_ = i; }
    void setSystemPower(SystemPower* p) { systemPower_ = p; }
    Globals& globals() { return globals_; }
    StringLibraries& strings() { return strings_; }

    // Program folder + "\" + name.
    std::string programPath(const std::string& name) const { return globals_.programFolder + "\\" + name; }
    // Language string `id` / second-library string `id`, with "%username" and "%s" filled.
    std::string lang(std::uint32_t id) { return strings_.language(id); }
    std::string lic(std::uint32_t id) { return strings_.lic(id); }
    std::string langUser(std::uint32_t id);
    std::string licUser(std::uint32_t id);
    std::string productName() { return services_.programStrings.get(kStrProductName); }
    // The Chinese font rule: 9 points for "0804" and "0404", else 8.
    int captionFontSize() const;
    int charset() const;
    // Applies the Chinese font rule and the character set to each named control.
    void applyFontRule(View& view, std::initializer_list<const char*> controls);
    // Deletes a file through the shell: no confirmation, no progress, no recycle bin.
    bool deleteFileSilent(const std::string& path);
    int message(const std::string& text, const std::string& title, unsigned flags) {
        return services_.messages.show(text, title, flags);
    }
    // Holder of the process's one cipher object (SharedBlowfish in password/shared_blowfish.h).
    std::shared_ptr<clsBlowfish>& blowfishSlot() { return blowfish_; }

private:
    Services services_;
    Globals globals_;
    StringLibraries strings_;
    MainWindow* mainWindow_ = nullptr;
    LockScreenControl* lockScreen_ = nullptr;
    DriveNotifications* driveNotifications_ = nullptr;
    InputLock* inputLock_ = nullptr;
    SystemPower* systemPower_ = nullptr;
    std::shared_ptr<clsBlowfish> blowfish_;
};

}  // namespace qv
