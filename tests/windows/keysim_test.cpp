// keysim.exe's command line: it rewrites usbsim.txt in the given program folder and posts
// the shell's drive message to the window of class "QuorvelMainWindow".
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "usbkey/usb_sim_file.h"

namespace {

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    std::string p(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return p.substr(0, p.find_last_of('\\'));
}

// Runs keysim with the arguments and returns its exit code and first line of output.
int RunKeysim(const std::string& args, std::string& output) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"";
    cmd.append(ExeFolder()).append("\\keysim.exe\" ").append(args);
    BOOL started = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                  &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }
    output.clear();
    char chunk[256];
    DWORD got = 0;
    while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) output.append(chunk, got);
    CloseHandle(readEnd);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    output = output.substr(0, output.find_first_of("\r\n"));
    return static_cast<int>(code);
}

std::string ReadFileText(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    char buffer[8192];
    DWORD got = 0;
    ReadFile(h, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(h);
    return std::string(buffer, got);
}

class Keysim : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "qv_keysim_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        DeleteFileA(simFile().c_str());
        RemoveDirectoryA(folder_.c_str());
        if (window_) DestroyWindow(window_);
    }
    std::string simFile() const { return folder_ + "\\usbsim.txt"; }
    int run(const std::string& command, std::string& out) {
        return RunKeysim("--program-folder \"" + folder_ + "\" " + command, out);
    }
    void makeMainWindow() {
        WNDCLASSA cls{};
        cls.lpfnWndProc = DefWindowProcA;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "QuorvelMainWindow";
        RegisterClassA(&cls);
        window_ = CreateWindowExA(0, cls.lpszClassName, "Quorvel", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  cls.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    // The drive events posted to the main window so far, in order.
    std::string drainEvents() {
        std::string events;
        MSG msg;
        while (PeekMessageA(&msg, window_, 0x401, 0x401, PM_REMOVE)) {
            EXPECT_EQ(msg.wParam, 0u);
            events += msg.lParam == 0x100 ? "add " : msg.lParam == 0x80 ? "remove " : "other ";
        }
        return events;
    }

    std::string folder_;
    HWND window_ = nullptr;
};

TEST_F(Keysim, PlugAndPullRewriteTheDeviceFile) {
    std::string out;
    EXPECT_EQ(run("--state", out), 0);
    EXPECT_EQ(out, "key=pulled other=pulled noserial=pulled");

    EXPECT_EQ(run("plug-key", out), 0);
    EXPECT_EQ(out, "key plugged; no main window");
    EXPECT_EQ(run("plug-noserial", out), 0);
    EXPECT_EQ(run("plug-key", out), 0);
    EXPECT_EQ(out, "key plugged already");
    qv::UsbSimFile file = qv::ParseUsbSimFile(ReadFileText(simFile()));
    ASSERT_EQ(file.records.size(), 2u);
    EXPECT_EQ(file.records[0], qv::FormatUsbDeviceRecord(qv::SimStickRecord(qv::SimStick::Key)));

    EXPECT_EQ(run("pull-key", out), 0);
    EXPECT_EQ(run("--state", out), 0);
    EXPECT_EQ(out, "key=pulled other=pulled noserial=plugged");

    EXPECT_EQ(run("unplug-everything", out), 1);
}

TEST_F(Keysim, TellsTheMainWindowAsTheShellWould) {
    makeMainWindow();
    std::string out;
    EXPECT_EQ(run("plug-other", out), 0);
    EXPECT_EQ(out, "other plugged; main window notified");
    EXPECT_EQ(run("plug-key", out), 0);
    EXPECT_EQ(run("plug-key", out), 0);   // nothing changed, nothing posted
    EXPECT_EQ(run("pull-key", out), 0);
    EXPECT_EQ(drainEvents(), "add add remove ");
}

}  // namespace
