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

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) throw std::runtime_error(std::string("environment variable missing: ") + name);
    return value;
}

// Lays out `to` afresh as a copy of `from`. The program marks some of its files read-only or
// hidden, which would stop their removal.
void CopyFolderAfresh(const std::string& from, const std::string& to) {
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(to, error))
        SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(to, error);
    std::filesystem::create_directories(to);
    std::filesystem::copy(from, to, std::filesystem::copy_options::recursive);
}

// The program's own cipher over the passphrase store, through a plain file off the stick.
const std::string kPlainStore = "Z:\\tmp\\qv-e2e-store.ini";
qv::win::WinFileSystem fs;
qv::clsBlowfish Cipher() {
    qv::clsBlowfish cipher(fs, kFolder);
    cipher.sInitBF(qv::kCipherKey);
    return cipher;
}

void DeleteFileIfPresent(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

}  // namespace

std::string FolderPath(const std::string& name) { return std::string(kFolder) + "\\" + name; }

void CopyProgramToPc() { CopyFolderAfresh(kFolder, kPcFolder); }

std::string SimFilePath() { return Env("QV_USBSIM"); }

std::string RecordPath(const std::string& name) {
    char base[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base);
    return std::string(base) + "\\Vantrel\\Quorvel\\" + name;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!(out << data)) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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

void Simulate(const std::string& action) {
    Program keysim;
    keysim.start("keysim.exe", Env("QV_BIN"), std::string(" --program-folder ") + kFolder + " " + action);
    keysim.waitExit();
}

void StorePassphrase(const std::string& keyId, const std::string& passphrase) {
    // The box file, from the program's own resource, as its first start would write it.
    HMODULE exe = LoadLibraryExA(FolderPath("quorvel.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC resource = FindResourceA(exe, MAKEINTRESOURCEA(1), "CUSTOM");
    if (!resource) throw std::runtime_error("quorvel.exe carries no box file");
    auto* data = static_cast<const char*>(LockResource(LoadResource(exe, resource)));
    WriteFileBytes(FolderPath("bf.dat"), std::string(data, SizeofResource(exe, resource)));
    FreeLibrary(exe);
    WriteFileBytes(kPlainStore,
                   "[PassCnt]\r\nPassCnt=1\r\n[Pass1]\r\nPassSerial=" + keyId + "\r\nPassword=" + passphrase + "\r\n");
    Cipher().sFileEncrypt(kPlainStore, FolderPath("pass.st"));
    DeleteFileIfPresent(kPlainStore);
}

std::string StoredKeyId() {
    Cipher().sFileDecrypt(FolderPath("pass.st"), kPlainStore);
    std::string id = qv::ReadIni(fs, "Pass1", "PassSerial", "", kPlainStore);
    DeleteFileIfPresent(kPlainStore);
    return id;
}

void PrepareProgramFolder() {
    const std::string stick = Env("QV_STICK"), away = stick + ".pulled";
    if (!FileExists(stick) && FileExists(away)) MoveFileA(away.c_str(), stick.c_str());
    DeleteFileIfPresent(SimFilePath());
    for (const char* name : {"tplockts.ini", "tpserial1.dat", "tpserial2.dat", "tlochg.dat"})
        DeleteFileIfPresent(RecordPath(name));
    CopyFolderAfresh(Env("QV_DIST"), kFolder);
    CopyFileA((Env("QV_BIN") + "\\sim\\KvUSBSerial.DLL").c_str(), FolderPath("KvUSBSerial.DLL").c_str(), FALSE);
}

void Program::start(const std::string& exe, const std::string& folder, const std::string& arguments) {
    job_ = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string command = "\"" + folder + "\\" + exe + "\"" + arguments;
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
    for (HANDLE h : {job_, pi_.hProcess, pi_.hThread}) CloseHandle(h);
    pi_ = {};
}

std::vector<HWND> Program::windows() const {
    std::vector<HWND> found;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == pi_.dwProcessId && IsWindowVisible(w)) found.push_back(w);
    }
    return found;
}

HWND Program::waitWindow(const std::string& className, Millis timeout) const {
    HWND found = WaitWindow(*this, [&](HWND w) {
        char name[256] = {};
        return GetClassNameA(w, name, sizeof name) && className == name;
    }, timeout);
    if (!found) ADD_FAILURE() << "no window of class " << className;
    return found;
}

std::optional<MessageBoxInfo> Program::waitMessageBox(Millis timeout) const {
    // A message box is the only window of the program with a static text of id 0xFFFF.
    HWND box = WaitWindow(*this, [](HWND w) { return GetDlgItem(w, 0xFFFF) != nullptr; }, timeout);
    if (!box) return std::nullopt;
    return MessageBoxInfo{box, WindowText(box), ControlText(box, 0xFFFF)};
}

HWND WaitWindow(const Program& program, const std::function<bool(HWND)>& match, Millis timeout) {
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND w : program.windows())
            if (match(w)) return (found = w) != nullptr;
        return false;
    }, timeout);
    return found;
}

HWND DialogWith(const Program& program, int controlId, Millis timeout, HWND except) {
    HWND found = WaitWindow(program, [&](HWND w) { return w != except && GetDlgItem(w, controlId); }, timeout);
    if (!found) ADD_FAILURE() << "no window with control " << controlId;
    return found;
}

bool WaitFor(const std::function<bool()>& condition, Millis timeout) {
    for (auto end = std::chrono::steady_clock::now() + timeout; !condition(); std::this_thread::sleep_for(50ms))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

std::string WindowText(HWND hwnd) {
    char buffer[2048] = {};
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return buffer;
}

std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
bool ControlEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

void Click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

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

}  // namespace qv::e2e
