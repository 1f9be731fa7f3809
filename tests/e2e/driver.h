// End-to-end test driver: starts the real program from a fresh program folder on the
// mapped stick drive F:, finds its windows, reads and clicks their controls, and answers
// its message boxes. Runs under Wine inside the test process; never blocks on the program.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace qv::e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

inline constexpr const char* kFolder = "F:\\Program\\quorvel";
// For a copy of the program folder on the PC, to start the program while the key is away.
inline constexpr const char* kPcFolder = "C:\\Quorvel";
// An environment variable the scripts set; an exception when it is missing.
std::string Env(const char* name);
// The per-machine folder of the lock record.
inline std::string RecordFolder() { return Env("ProgramData") + "\\Vantrel\\Quorvel"; }
inline std::string FolderPath(const std::string& name) { return std::string(kFolder) + "\\" + name; }

// The file's bytes; none when it cannot be read.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& data);
inline bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// String `id` of a shipped string library ("langfile0409.dll", from QV_DIST), as the program
// fetches it (ANSI, the system code page); every `placeholder` in it replaced by `value`.
std::string LibraryString(const std::string& dll, unsigned id, const std::string& placeholder = "",
                          const std::string& value = "");

// Runs the key simulator (QV_BIN\keysim.exe) with one action ("pull-key", ...), as a person
// pressing its buttons would; with the scripts' QV_STICK a key pull takes drive F: away.
void Simulate(const std::string& action);

// Lays out F:\Program\quorvel afresh from the shipped folder (QV_DIST) with the simulated USB
// library from QV_BIN\sim; brings back the key drive (QV_STICK) an earlier test left pulled and
// removes any lock record, device list (QV_USBSIM) and copy on the PC.
void PrepareProgramFolder();

// A process of the program or the key simulator; not to be copied.
class Program {
public:
    ~Program() { kill(); }

    // Starts the program, which is killed with this object.
    void start(const std::string& exe = "quorvel.exe", const std::string& folder = kFolder,
               const std::string& arguments = "");
    bool waitExit(Millis timeout = 10s);
    void kill();
    DWORD processId() const { return pi_.dwProcessId; }
    // The first visible top-level window of the program holding a control with this id, other
    // than `except`; nullptr when none appears in time. A message box holds control 0xFFFF.
    HWND find(int controlId, Millis timeout = 15s, HWND except = nullptr) const;

private:
    PROCESS_INFORMATION pi_{};
};

// Polls `condition` every 50 ms until it holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, Millis timeout = 15s);

// As Program::find, with a failure when no such window appears.
HWND DialogWith(const Program& program, int controlId, Millis timeout = 15s, HWND except = nullptr);
// Starts the program and waits for its main window.
HWND StartMain(Program& program, const std::string& folder = kFolder);
// Starts the program and arms it with the only stick as the key: Lock, a new passphrase for it,
// then Close in the protection settings, which keeps the default duration. The main window once
// armed; nullptr (with a failure) when it did not arm.
HWND StartArmed(Program& program, const std::string& passphrase);
std::string WindowText(HWND hwnd);
inline std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
// Clicks a button or chooses a menu item without waiting for the handler: posts the
// notification to its window.
inline void Click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// Expects one message box of the program with this text, presses `button` and waits until it
// has gone.
void ExpectBox(const Program& program, const std::string& text, int button = IDOK);

}  // namespace qv::e2e
