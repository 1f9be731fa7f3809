// End-to-end test driver: starts the real program from a fresh program folder on the
// mapped stick drive F:, finds its windows, reads and clicks their controls, and answers
// its message boxes. Runs under Wine inside the test process; never blocks on the program.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qv::e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

inline constexpr const char* kFolder = "F:\\Program\\quorvel";
// A copy of the program folder on the PC, for starting the program while the key is away.
inline constexpr const char* kPcFolder = "C:\\Quorvel";
std::string FolderPath(const std::string& name);
void CopyProgramToPc();
// The simulated device list, off the stick where the scripts say (QV_USBSIM).
std::string SimFilePath();
// A file of the lock record in the per-machine folder.
std::string RecordPath(const std::string& name);

std::optional<std::string> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& data);
bool FileExists(const std::string& path);

// String `id` of a shipped string library ("langfile0409.dll", from QV_DIST), as the program
// fetches it (ANSI, the system code page); every `placeholder` in it replaced by `value`.
std::string LibraryString(const std::string& dll, unsigned id, const std::string& placeholder = "",
                          const std::string& value = "");

// Runs the key simulator (QV_BIN\keysim.exe) with one action ("pull-key", ...), as a person
// pressing its buttons would; with the scripts' QV_STICK a key pull takes drive F: away.
void Simulate(const std::string& action);
// The passphrase store (and the box file it needs) as the program writes them, for one key.
void StorePassphrase(const std::string& keyId, const std::string& passphrase);
// The key identity the passphrase store holds for its first entry.
std::string StoredKeyId();

// Lays out F:\Program\quorvel afresh from the shipped folder (QV_DIST) with the simulated USB
// library from QV_BIN\sim; brings back the key drive (QV_STICK) an earlier test left pulled and
// removes any lock record and device list.
void PrepareProgramFolder();

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::string title, text;
};

class Program {
public:
    Program() = default;
    ~Program() { kill(); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts the program in a job that is killed with this object.
    void start(const std::string& exe = "quorvel.exe", const std::string& folder = kFolder,
               const std::string& arguments = "");
    // Starts the program and waits for its main window; a failure and nullptr when it never appears.
    HWND startMain() {
        start();
        return waitWindow("QuorvelMainWindow");
    }
    bool waitExit(Millis timeout = 10s);
    void kill();
    DWORD processId() const { return pi_.dwProcessId; }

    // Visible top-level windows of the program.
    std::vector<HWND> windows() const;
    HWND waitWindow(const std::string& className, Millis timeout = 15s) const;
    std::optional<MessageBoxInfo> waitMessageBox(Millis timeout = 15s) const;

private:
    PROCESS_INFORMATION pi_{};
    HANDLE job_ = nullptr;
};

// Polls `condition` every 50 ms until it holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, Millis timeout = 15s);

std::string WindowText(HWND hwnd);
std::string ControlText(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
// Clicks a button or chooses a menu item without waiting for the handler: posts the
// notification to its window.
void Click(HWND dialog, int id);
// Expects one message box of the program with this text and title, presses `button` and
// waits until it has gone.
void ExpectBox(const Program& program, const std::string& text, const std::string& title, int button = IDOK,
               Millis timeout = 5s);
// Types text into an edit control as the physical keyboard would.
void TypeChars(HWND edit, const std::string& text);
// The first visible top-level window of the program that `match` accepts, or nullptr after the timeout.
HWND WaitWindow(const Program& program, const std::function<bool(HWND)>& match, Millis timeout);
// The top-level window of the program holding a control with this id, other than `except`; a
// failure and nullptr when none appears.
HWND DialogWith(const Program& program, int controlId, Millis timeout = 15s, HWND except = nullptr);

}  // namespace qv::e2e
