#include "driver.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace qv::e2e {

// Removes a folder and all in it. The program marks some of its files read-only or hidden,
// which would stop their removal.
static void RemoveFolder(const std::string& path) {
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path, error))
        SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(path, error);
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) throw std::runtime_error(std::string("environment variable missing: ") + name);
    return value;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!(out << data)) throw std::runtime_error("cannot write " + path);
}

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

void PrepareProgramFolder() {
    const std::string stick = Env("QV_STICK"), away = stick + ".pulled";
    if (!FileExists(stick) && FileExists(away)) MoveFileA(away.c_str(), stick.c_str());
    DeleteFileA(Env("QV_USBSIM").c_str());
    for (std::string folder : {RecordFolder(), std::string(kPcFolder), std::string(kFolder)}) RemoveFolder(folder);
    std::filesystem::create_directories(kFolder);
    std::filesystem::copy(Env("QV_DIST"), kFolder, std::filesystem::copy_options::recursive);
    CopyFileA((Env("QV_BIN") + "\\sim\\KvUSBSerial.DLL").c_str(), FolderPath("KvUSBSerial.DLL").c_str(), FALSE);
}

void Program::start(const std::string& exe, const std::string& folder, const std::string& arguments) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string command = "\"" + folder + "\\" + exe + "\"" + arguments;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi_))
        throw std::runtime_error("cannot start " + command);
    WaitForInputIdle(pi_.hProcess, 10000);
}

bool Program::waitExit(Millis timeout) {
    return !pi_.hProcess || WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void Program::kill() {
    if (!pi_.hProcess) return;
    TerminateProcess(pi_.hProcess, 1);
    WaitForSingleObject(pi_.hProcess, 5000);
    for (HANDLE h : {pi_.hProcess, pi_.hThread}) CloseHandle(h);
    pi_ = {};
}

HWND Program::find(int controlId, Millis timeout, HWND except) const {
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == pi_.dwProcessId && IsWindowVisible(w) && w != except && GetDlgItem(w, controlId))
                return (found = w) != nullptr;
        }
        return false;
    }, timeout);
    return found;
}

bool WaitFor(const std::function<bool()>& condition, Millis timeout) {
    for (auto end = std::chrono::steady_clock::now() + timeout; !condition(); std::this_thread::sleep_for(50ms))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

HWND DialogWith(const Program& program, int controlId, Millis timeout, HWND except) {
    HWND found = program.find(controlId, timeout, except);
    if (!found) ADD_FAILURE() << "no window with control " << controlId;
    return found;
}

HWND StartMain(Program& program, const std::string& folder) {
    program.start("quorvel.exe", folder);
    return DialogWith(program, IDC_cmdLock);
}

HWND StartArmed(Program& program, const std::string& passphrase) {
    auto text = [](unsigned id) { return LibraryString("langfile0409.dll", id, "%username", "User"); };
    HWND main = StartMain(program);
    Click(main, IDC_cmdLock);
    ExpectBox(program, text(558) + "\r\n" + text(559), IDYES);
    HWND setter = DialogWith(program, IDC_txtPassword2, 15s, main);
    for (int field : {IDC_txtPassword, IDC_txtPassword2}) SetDlgItemTextA(setter, field, passphrase.c_str());
    Click(setter, IDC_cmdOk);
    ExpectBox(program, text(525));
    Click(DialogWith(program, IDC_cmdSave), IDC_cmdClose);
    const bool armed = WaitFor([&] { return IsWindowEnabled(GetDlgItem(main, IDC_cmdUnlock)) != 0; });
    if (!armed) ADD_FAILURE() << "the lock did not arm";
    return armed ? main : nullptr;
}

std::string WindowText(HWND hwnd) {
    char text[2048] = {};
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

void ExpectBox(const Program& program, const std::string& text, int button) {
    HWND box = program.find(0xFFFF, 5s);
    ASSERT_TRUE(box) << "no message box \"" << text << "\"";
    EXPECT_EQ(ControlText(box, 0xFFFF), text);
    Click(box, button);
    WaitFor([&] { return !IsWindowVisible(box); }, 5s);
}

}  // namespace qv::e2e
