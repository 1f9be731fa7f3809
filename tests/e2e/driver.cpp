#include "driver.h"

#include <gtest/gtest.h>

#include "app/ini_file.h"
#include "password/blowfish.h"
#include "password/cipher_key.h"
#include "services/win_services.h"

#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace qv::e2e {

std::string FolderPath(const std::string& name) { return std::string(kFolder) + "\\" + name; }

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.write(data.data(), static_cast<std::streamsize>(data.size()))) throw std::runtime_error("cannot write " + path);
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

// The program marks some of its files read-only or hidden, which would stop their removal.
void RemoveTree(const std::string& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
        SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(folder, error);
}

void CopyFolder(const std::string& from, const std::string& to) {
    std::filesystem::create_directories(to);
    std::filesystem::copy(from, to, std::filesystem::copy_options::overwrite_existing | std::filesystem::copy_options::recursive);
}

}  // namespace

std::string LibraryString(const std::string& dll, unsigned id, const std::string& placeholder,
                          const std::string& value) {
    HMODULE lib = LoadLibraryExA((Env("QV_DIST") + "\\" + dll).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char buffer[1024] = {};
    LoadStringA(lib, id, buffer, sizeof buffer);
    FreeLibrary(lib);
    std::string text = buffer;
    for (std::size_t at = 0; !placeholder.empty() && (at = text.find(placeholder, at)) != std::string::npos;
         at += value.size())
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

std::string StoredKeyId() {
    qv::win::WinFileSystem fs;
    qv::clsBlowfish cipher(fs, kFolder);
    cipher.sInitBF(qv::kCipherKey);
    const std::string plain = "Z:\\tmp\\qv-e2e-pass.ini";
    cipher.sFileDecrypt(FolderPath("pass.st"), plain);
    std::string id = qv::ReadIni(fs, "Pass1", "PassSerial", "", plain);
    DeleteFileIfPresent(plain);
    return id;
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
    CopyFolder(kFolder, kPcFolder);
}

void PrepareProgramFolder() {
    if (const char* stick = std::getenv("QV_STICK"); stick && *stick) {
        const std::string away = std::string(stick) + ".pulled";
        if (!FileExists(stick) && FileExists(away)) MoveFileA(away.c_str(), stick);
    }
    DeleteFileIfPresent(SimFilePath());
    for (const char* name : {"tplockts.ini", "tpserial1.dat", "tpserial2.dat", "tlochg.dat"})
        DeleteFileIfPresent(RecordPath(name));
    RemoveTree(kFolder);
    CopyFolder(Env("QV_DIST"), kFolder);
    CopyFileA((Env("QV_BIN") + "\\sim\\KvUSBSerial.DLL").c_str(), FolderPath("KvUSBSerial.DLL").c_str(), FALSE);
}

bool WaitFor(const std::function<bool()>& condition, Millis timeout) {
    for (auto end = std::chrono::steady_clock::now() + timeout; !condition(); std::this_thread::sleep_for(50ms))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

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

bool Program::waitExit(Millis timeout) {
    return !pi_.hProcess || WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void Program::kill() {
    if (!pi_.hProcess) return;
    TerminateJobObject(job_, 1);
    WaitForSingleObject(pi_.hProcess, 5000);
    CloseHandle(job_);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
    pi_ = {};
}

std::vector<HWND> Program::windows() const {
    std::vector<HWND> found;
    for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, nullptr); w; w = FindWindowExA(nullptr, w, nullptr, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == pi_.dwProcessId && IsWindowVisible(w)) found.push_back(w);
    }
    return found;
}

HWND Program::waitWindow(const std::string& className, Millis timeout) const {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND hwnd : windows()) {
                char name[256] = {};
                GetClassNameA(hwnd, name, sizeof name);
                if (className == name) return (found = hwnd) != nullptr;
            }
            return false;
        },
        timeout);
    return found;
}

HWND Program::startMain() {
    start();
    return waitWindow("QuorvelMainWindow");
}

std::optional<MessageBoxInfo> Program::messageBox() const {
    // A message box is the only window of the program with a static text of id 0xFFFF.
    for (HWND hwnd : windows()) {
        if (HWND text = GetDlgItem(hwnd, 0xFFFF)) return MessageBoxInfo{hwnd, WindowText(hwnd), WindowText(text)};
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

std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
bool ControlEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }
bool ControlVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != 0; }

void Click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ChooseMenu(HWND window, int id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void ExpectBox(const Program& program, const std::string& text, const std::string& title, int button,
               Millis timeout) {
    auto box = program.waitMessageBox(timeout);
    ASSERT_TRUE(box.has_value()) << text;
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->title, title);
    Click(box->hwnd, button);
    WaitFor([&] { return !IsWindow(box->hwnd) || !IsWindowVisible(box->hwnd); }, timeout);
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

}  // namespace qv::e2e
