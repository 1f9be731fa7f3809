// keysim.exe's command line: it rewrites usbsim.txt in the given program folder and posts
// the shell's drive message to the window of class "QuorvelMainWindow".
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "usbkey/usb_sim_file.h"

namespace {

class Keysim : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "qv_keysim_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        DeleteFileA((folder_ + "\\usbsim.txt").c_str());
        RemoveDirectoryA(folder_.c_str());
        if (window_) DestroyWindow(window_);
    }
    // Runs keysim on the folder with `command`; its exit code, and its first line of output in `out`.
    int run(const std::string& command) {
        SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return -1;
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = writeEnd;
        PROCESS_INFORMATION pi{};
        char exe[MAX_PATH] = {};
        std::string cmd(exe, GetModuleFileNameA(nullptr, exe, MAX_PATH));
        cmd = "\"" + cmd.substr(0, cmd.find_last_of('\\')) + "\\keysim.exe\" --program-folder \"" + folder_ + "\" " +
              command;
        BOOL started = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                      nullptr, &si, &pi);
        CloseHandle(writeEnd);
        out.clear();
        char chunk[256];
        DWORD got = 0;
        while (started && ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) out.append(chunk, got);
        CloseHandle(readEnd);
        if (!started) return -1;
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        out = out.substr(0, out.find_first_of("\r\n"));
        return static_cast<int>(code);
    }
    std::string simFileText() {
        HANDLE h = CreateFileA((folder_ + "\\usbsim.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        char buffer[8192];
        DWORD got = 0;
        if (h == INVALID_HANDLE_VALUE || !ReadFile(h, buffer, sizeof buffer, &got, nullptr)) got = 0;
        CloseHandle(h);
        return std::string(buffer, got);
    }

    std::string folder_, out;
    HWND window_ = nullptr;
};

TEST_F(Keysim, PlugAndPullRewriteTheDeviceFile) {
    EXPECT_EQ(run("--state"), 0);
    EXPECT_EQ(out, "key=pulled other=pulled noserial=pulled");
    EXPECT_EQ(run("plug-key"), 0);
    EXPECT_EQ(out, "key plugged; no main window");
    EXPECT_EQ(run("plug-noserial"), 0);
    EXPECT_EQ(run("plug-key"), 0);
    EXPECT_EQ(out, "key plugged already");
    qv::UsbSimFile file = qv::ParseUsbSimFile(simFileText());
    ASSERT_EQ(file.records.size(), 2u);
    EXPECT_EQ(file.records[0], qv::FormatUsbDeviceRecord(qv::SimStickRecord(qv::SimStick::Key)));
    EXPECT_EQ(run("pull-key"), 0);
    EXPECT_EQ(run("--state"), 0);
    EXPECT_EQ(out, "key=pulled other=pulled noserial=plugged");
    EXPECT_EQ(run("unplug-everything"), 1);
}

TEST_F(Keysim, TellsTheMainWindowAsTheShellWould) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "QuorvelMainWindow";
    RegisterClassA(&cls);
    window_ = CreateWindowExA(0, cls.lpszClassName, "Quorvel", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              cls.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    EXPECT_EQ(run("plug-other"), 0);
    EXPECT_EQ(out, "other plugged; main window notified");
    EXPECT_EQ(run("plug-key"), 0);
    EXPECT_EQ(run("plug-key"), 0);   // nothing changed, nothing posted
    EXPECT_EQ(run("pull-key"), 0);
    std::string events;   // the drive events posted so far, in order
    for (MSG msg; PeekMessageA(&msg, window_, 0x401, 0x401, PM_REMOVE);) {
        EXPECT_EQ(msg.wParam, 0u);
        events += msg.lParam == 0x100 ? "add " : msg.lParam == 0x80 ? "remove " : "other ";
    }
    EXPECT_EQ(events, "add add remove ");
}

}  // namespace
