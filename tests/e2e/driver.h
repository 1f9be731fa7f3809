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
std::string FolderPath(const std::string& name);
// A copy of the program folder on the PC, for starting the program while the key is away.
inline constexpr const char* kPcFolder = "C:\\Quorvel";
void CopyProgramToPc();
// The simulated device list: off the stick where the scripts say (QV_USBSIM), else beside the
// program.
std::string SimFilePath();
// A file of the lock record in the per-machine folder.
std::string RecordPath(const std::string& name);

// File helpers on Windows paths.
std::optional<std::string> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& data);
bool FileExists(const std::string& path);
void DeleteFileIfPresent(const std::string& path);

// String `id` of a shipped string library ("langfile0409.dll", from QV_DIST), as the
// program would fetch it (ANSI, the system code page) and as stored (UTF-16).
std::string LibraryString(const std::string& dll, unsigned id);
std::wstring LibraryStringW(const std::string& dll, unsigned id);
// Every `placeholder` in `text` replaced by `value`.
std::string Fill(std::string text, const std::string& placeholder, const std::string& value);

// Runs the key simulator (QV_BIN\keysim.exe) with one action ("pull-key", ...), as a person
// pressing its buttons would; with the scripts' QV_STICK a key pull takes drive F: away.
void Simulate(const std::string& action);

// The passphrase store (and the box file it needs) as the program writes them, for one key.
void StorePassphrase(const std::string& keyId, const std::string& passphrase);

// Lays out F:\Program\quorvel afresh from the shipped folder (environment QV_DIST), with
// the simulated USB library from QV_BIN\sim when `simulatedUsb` is set; brings back a key
// drive an earlier test left pulled and removes any lock record and device list.
void PrepareProgramFolder(bool simulatedUsb = true);

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::string title, text;
    enum Icon { None, Critical, Exclamation, Information, Question, Unknown } icon = None;
    bool ok = false, yes = false, no = false, cancel = false;
};

class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts quorvel.exe from the program folder. Every process it starts belongs to a job
    // that is killed with this object.
    void start(const std::string& exe = "quorvel.exe", const std::string& folder = kFolder);
    // Starts the program and waits for its main window; nullptr when it never appears.
    HWND startMain(Millis timeout = 15s);
    bool running() const;
    bool waitExit(Millis timeout = 10s);
    void kill();
    DWORD processId() const { return pi_.dwProcessId; }

    // Visible top-level windows of the program.
    std::vector<HWND> windows() const;
    HWND findWindow(const std::string& className, const std::string& title = "") const;
    HWND waitWindow(const std::string& className, const std::string& title = "", Millis timeout = 15s) const;
    std::optional<MessageBoxInfo> messageBox() const;
    std::optional<MessageBoxInfo> waitMessageBox(Millis timeout = 15s) const;

private:
    PROCESS_INFORMATION pi_{};
    HANDLE job_ = nullptr;
};

// Polls `condition` every 50 ms until it holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, Millis timeout = 15s);

std::string WindowText(HWND hwnd);
std::wstring WindowTextW(HWND hwnd);
std::string ClassName(HWND hwnd);
std::string ControlText(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
bool ControlVisible(HWND dialog, int id);
// Clicks without waiting for the handler: posts the button's notification to its dialog.
void Click(HWND dialog, int id);
void ChooseMenu(HWND window, int id);
void Answer(const MessageBoxInfo& box, int buttonId);
// Expects one message box of the program with this text, title and icon, presses OK and
// waits until it has gone. A box without an icon may keep an empty icon control under Wine.
void ExpectBox(const Program& program, const std::string& text, const std::string& title, MessageBoxInfo::Icon icon,
               Millis timeout = 5s);
// Asks the window to close as its title bar's close button would.
void CloseFromTitleBar(HWND window);
// A list view in another process: its rows, cells, icons and selection (rows from 1).
int ListViewRows(HWND list);
std::string ListViewCell(HWND list, int row, int column);
int ListViewIcon(HWND list, int row);
void ListViewSelect(HWND list, int row);
// Types text into an edit control as the physical keyboard would.
void TypeChars(HWND edit, const std::string& text);
// The top-level dialog of the program holding a control with this id, other than `except`.
HWND DialogWith(const Program& program, int controlId, Millis timeout = 15s, HWND except = nullptr);
// Writes the window's pixels as a 24-bit BMP; a bare file name goes to the folder QV_SHOTS.
bool Screenshot(HWND window, const std::string& bmpPath);

}  // namespace qv::e2e
