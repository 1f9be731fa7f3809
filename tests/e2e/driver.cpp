#include "driver.h"

#include <gtest/gtest.h>

#include "app/ini_file.h"
#include "password/blowfish.h"
#include "password/cipher_key.h"
#include "services/win_services.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace qv::e2e {

std::string FolderPath(const std::string& name) { return std::string(kFolder) + "\\" + name; }

std::optional<std::string> ReadFileBytes(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string data;
    char buffer[8192];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got) data.append(buffer, got);
    CloseHandle(f);
    return data;
}

void WriteFileBytes(const std::string& path, const std::string& data) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(f);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void DeleteFileIfPresent(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) throw std::runtime_error(std::string("environment variable missing: ") + name);
    return value;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileIfPresent(path);
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

void CopyFolder(const std::string& from, const std::string& to) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((from + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) throw std::runtime_error("nothing to copy in " + from);
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        CopyFileA((from + "\\" + data.cFileName).c_str(), (to + "\\" + data.cFileName).c_str(), FALSE);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

}  // namespace

std::string LibraryString(const std::string& dll, unsigned id) {
    HMODULE lib = LoadLibraryExA((Env("QV_DIST") + "\\" + dll).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char buffer[1024] = {};
    LoadStringA(lib, id, buffer, sizeof buffer);
    FreeLibrary(lib);
    return buffer;
}

std::wstring LibraryStringW(const std::string& dll, unsigned id) {
    HMODULE lib = LoadLibraryExA((Env("QV_DIST") + "\\" + dll).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    wchar_t buffer[1024] = {};
    LoadStringW(lib, id, buffer, 1024);
    FreeLibrary(lib);
    return buffer;
}

std::string Fill(std::string text, const std::string& placeholder, const std::string& value) {
    for (std::size_t at = 0; (at = text.find(placeholder, at)) != std::string::npos; at += value.size())
        text.replace(at, placeholder.size(), value);
    return text;
}

void StorePassphrase(const std::string& keyId, const std::string& passphrase) {
    // The box file, from the program's own resource, as its first start would write it.
    HMODULE exe = LoadLibraryExA(FolderPath("quorvel.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC resource = FindResourceA(exe, MAKEINTRESOURCEA(1), "CUSTOM");
    if (!resource) throw std::runtime_error("quorvel.exe carries no box file");
    auto* data = static_cast<const char*>(LockResource(LoadResource(exe, resource)));
    WriteFileBytes(FolderPath("bf.dat"), std::string(data, SizeofResource(exe, resource)));
    FreeLibrary(exe);

    qv::win::WinFileSystem fs;
    const std::string plain = "Z:\\tmp\\qv-e2e-store.ini";
    DeleteFileIfPresent(plain);
    qv::WriteIni(fs, "PassCnt", "PassCnt", "1", plain);
    qv::WriteIni(fs, "Pass1", "PassSerial", keyId, plain);
    qv::WriteIni(fs, "Pass1", "Password", passphrase, plain);
    qv::clsBlowfish cipher(fs, kFolder);
    cipher.sInitBF(qv::kCipherKey);
    cipher.sFileEncrypt(plain, FolderPath("pass.st"));
    DeleteFileIfPresent(plain);
}

void Simulate(const std::string& action) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + Env("QV_BIN") + "\\keysim.exe\" --program-folder " + kFolder + " " + action;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        throw std::runtime_error("cannot start " + command);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

std::string SimFilePath() {
    const char* machine = std::getenv("QV_USBSIM");
    return machine && *machine ? std::string(machine) : FolderPath("usbsim.txt");
}

std::string RecordPath(const std::string& name) {
    char base[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base);
    return std::string(base) + "\\Vantrel\\Quorvel\\" + name;
}

void CopyProgramToPc() {
    RemoveTree(kPcFolder);
    if (!CreateDirectoryA(kPcFolder, nullptr)) throw std::runtime_error("cannot create the program folder on C:");
    CopyFolder(kFolder, kPcFolder);
}

void PrepareProgramFolder(bool simulatedUsb) {
    if (const char* stick = std::getenv("QV_STICK"); stick && *stick) {
        const std::string away = std::string(stick) + ".pulled";
        if (!FileExists(stick) && FileExists(away)) MoveFileA(away.c_str(), stick);
    }
    DeleteFileIfPresent(SimFilePath());
    for (const char* name : {"tplockts.ini", "tpserial1.dat", "tpserial2.dat", "tlochg.dat"})
        DeleteFileIfPresent(RecordPath(name));
    RemoveTree(kFolder);
    CreateDirectoryA("F:\\Program", nullptr);
    if (!CreateDirectoryA(kFolder, nullptr)) throw std::runtime_error("cannot create the program folder on F:");
    CopyFolder(Env("QV_DIST"), kFolder);
    if (simulatedUsb) CopyFileA((Env("QV_BIN") + "\\sim\\KvUSBSerial.DLL").c_str(), FolderPath("KvUSBSerial.DLL").c_str(), FALSE);
}

bool WaitFor(const std::function<bool()>& condition, Millis timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(50ms);
    }
}

Program::~Program() { kill(); }

void Program::start(const std::string& exe, const std::string& folder) {
    job_ = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string command = "\"" + folder + "\\" + exe + "\"";
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, folder.c_str(), &si,
                        &pi_))
        throw std::runtime_error("cannot start " + command);
    AssignProcessToJobObject(job_, pi_.hProcess);
    ResumeThread(pi_.hThread);
    WaitForInputIdle(pi_.hProcess, 10000);
}

bool Program::running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::waitExit(Millis timeout) {
    return !pi_.hProcess || WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void Program::kill() {
    if (job_) {
        TerminateJobObject(job_, 1);
        CloseHandle(job_);
        job_ = nullptr;
    }
    if (pi_.hProcess) {
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 5000);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
        pi_ = {};
    }
}

namespace {

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd)) search->found.push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> Program::windows() const {
    WindowSearch search{pi_.dwProcessId, {}};
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Program::findWindow(const std::string& className, const std::string& title) const {
    for (HWND hwnd : windows()) {
        if (!className.empty() && ClassName(hwnd) != className) continue;
        if (!title.empty() && WindowText(hwnd) != title) continue;
        return hwnd;
    }
    return nullptr;
}

HWND Program::startMain(Millis timeout) {
    start();
    return waitWindow("QuorvelMainWindow", "", timeout);
}

HWND Program::waitWindow(const std::string& className, const std::string& title, Millis timeout) const {
    HWND found = nullptr;
    WaitFor([&] { return (found = findWindow(className, title)) != nullptr; }, timeout);
    return found;
}

namespace {

// Tells the standard icons apart by their colours: icon handles are not shared between
// processes under Wine, the pixels on the screen are.
MessageBoxInfo::Icon IconByColour(HWND icon) {
    RECT r{};
    GetWindowRect(icon, &r);
    HDC screen = GetDC(nullptr);
    int red = 0, yellow = 0, blue = 0;
    for (int y = r.top; y < r.bottom; y += 2) {
        for (int x = r.left; x < r.right; x += 2) {
            COLORREF c = GetPixel(screen, x, y);
            int R = GetRValue(c), G = GetGValue(c), B = GetBValue(c);
            if (R > 150 && G < 110 && B < 110) ++red;
            else if (R > 170 && G > 140 && B < 110) ++yellow;
            else if (B > 150 && R < 120) ++blue;
        }
    }
    ReleaseDC(nullptr, screen);
    if (red + yellow + blue < 10) return MessageBoxInfo::Unknown;
    if (red >= yellow && red >= blue) return MessageBoxInfo::Critical;
    if (yellow >= blue) return MessageBoxInfo::Exclamation;
    return MessageBoxInfo::Information;
}

MessageBoxInfo::Icon IconOf(HWND box) {
    // The icon's control id is 20 on Windows and 1088 under Wine.
    HWND icon = GetDlgItem(box, 20);
    if (!icon) icon = GetDlgItem(box, 1088);
    if (!icon || !IsWindowVisible(icon)) return MessageBoxInfo::None;
    MessageBoxInfo::Icon found = MessageBoxInfo::Unknown;
    WaitFor([&] { return (found = IconByColour(icon)) != MessageBoxInfo::Unknown; }, 2s);
    return found;
}

}  // namespace

std::optional<MessageBoxInfo> Program::messageBox() const {
    for (HWND hwnd : windows()) {
        if (ClassName(hwnd) != "#32770") continue;
        HWND text = GetDlgItem(hwnd, 0xFFFF);
        if (!text) continue;
        MessageBoxInfo info;
        info.hwnd = hwnd;
        info.title = WindowText(hwnd);
        info.text = WindowText(text);
        info.icon = IconOf(hwnd);
        info.ok = GetDlgItem(hwnd, IDOK) != nullptr;
        info.yes = GetDlgItem(hwnd, IDYES) != nullptr;
        info.no = GetDlgItem(hwnd, IDNO) != nullptr;
        info.cancel = GetDlgItem(hwnd, IDCANCEL) != nullptr;
        return info;
    }
    return std::nullopt;
}

std::optional<MessageBoxInfo> Program::waitMessageBox(Millis timeout) const {
    std::optional<MessageBoxInfo> box;
    WaitFor([&] { return (box = messageBox()).has_value(); }, timeout);
    return box;
}

std::string WindowText(HWND hwnd) {
    char buffer[2048] = {};
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return buffer;
}

std::wstring WindowTextW(HWND hwnd) {
    wchar_t buffer[2048] = {};
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, nullptr);
    return buffer;
}

std::string ClassName(HWND hwnd) {
    char buffer[256] = {};
    GetClassNameA(hwnd, buffer, sizeof buffer);
    return buffer;
}

std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
bool ControlEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }
bool ControlVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != 0; }

void Click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ChooseMenu(HWND window, int id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void Answer(const MessageBoxInfo& box, int buttonId) {
    PostMessageA(box.hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box.hwnd, buttonId)));
}

void ExpectBox(const Program& program, const std::string& text, const std::string& title, MessageBoxInfo::Icon icon,
               Millis timeout) {
    auto box = program.waitMessageBox(timeout);
    ASSERT_TRUE(box.has_value()) << text;
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->title, title);
    if (icon == MessageBoxInfo::None) EXPECT_TRUE(box->icon == icon || box->icon == MessageBoxInfo::Unknown);
    else EXPECT_EQ(box->icon, icon);
    Answer(*box, IDOK);
    WaitFor([&] { return !IsWindow(box->hwnd) || !IsWindowVisible(box->hwnd); }, timeout);
}

void CloseFromTitleBar(HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

namespace {

// An LVITEM in the list view's own process, for the messages that carry pointers.
class RemoteItem {
public:
    explicit RemoteItem(HWND list) {
        DWORD pid = 0;
        GetWindowThreadProcessId(list, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        memory_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteItem() {
        VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    // Writes `item` (with its text buffer pointing into the remote block) and returns its address.
    LVITEMA* put(LVITEMA item) {
        item.pszText = memory_ + 1024;
        item.cchTextMax = 1024;
        WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr);
        return reinterpret_cast<LVITEMA*>(memory_);
    }
    LVITEMA item() const {
        LVITEMA item{};
        ReadProcessMemory(process_, memory_, &item, sizeof item, nullptr);
        return item;
    }
    std::string text() const {
        char buffer[1024] = {};
        ReadProcessMemory(process_, memory_ + 1024, buffer, sizeof buffer - 1, nullptr);
        return buffer;
    }

private:
    HANDLE process_ = nullptr;
    char* memory_ = nullptr;
};

}  // namespace

int ListViewRows(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

std::string ListViewCell(HWND list, int row, int column) {
    RemoteItem remote(list);
    LVITEMA item{};
    item.iSubItem = column - 1;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(remote.put(item)));
    return remote.text();
}

int ListViewIcon(HWND list, int row) {
    RemoteItem remote(list);
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row - 1;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.put(item)));
    return remote.item().iImage + 1;
}

void ListViewSelect(HWND list, int row) {
    RemoteItem remote(list);
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(remote.put(item)));
}

void TypeChars(HWND edit, const std::string& text) {
    for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

HWND DialogWith(const Program& program, int controlId, Millis timeout, HWND except) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND hwnd : program.windows()) {
                if (hwnd != except && GetDlgItem(hwnd, controlId)) return (found = hwnd) != nullptr;
            }
            return false;
        },
        timeout);
    return found;
}

bool Screenshot(HWND window, const std::string& bmpPath) {
    // A bare name goes to the folder the test script keeps under build/ (QV_SHOTS), never to
    // the working folder, which is the source tree.
    std::string path = bmpPath;
    if (path.find_first_of("\\/:") == std::string::npos) {
        const char* shots = std::getenv("QV_SHOTS");
        char temp[MAX_PATH] = "";
        std::string folder = shots && *shots ? shots : (GetTempPathA(MAX_PATH, temp), temp);
        path = folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + path;
    }
    RECT r{};
    if (window) GetWindowRect(window, &r);
    else r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    int stride = ((w * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(stride * h);
    std::string out(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(BITMAPINFOHEADER));
    out.append(static_cast<const char*>(bits), static_cast<std::size_t>(stride * h));
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    WriteFileBytes(path, out);
    return true;
}

}  // namespace qv::e2e
