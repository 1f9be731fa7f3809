#include "services/win_services.h"

#include <shellapi.h>
#include <shlobj.h>
#include "ui/form_host.h"

namespace qv::win {

int WinMessageBoxes::show(const std::string& text, const std::string& title, unsigned flags) {
    HWND owner = GetActiveWindow();
    if (!owner) owner = FormHostOf().mainWindow();
    return MessageBoxA(owner, text.c_str(), title.c_str(), flags | MB_SETFOREGROUND);
}

WindowHandle WinDesktop::findWindow(const std::string& className, const std::string& title) {
    return reinterpret_cast<WindowHandle>(
        FindWindowA(className.empty() ? nullptr : className.c_str(), title.c_str()));
}

void WinDesktop::postClose(WindowHandle window) { PostMessageA(reinterpret_cast<HWND>(window), WM_CLOSE, 0, 0); }

void WinDesktop::doEvents() { FormHostOf().pumpPending(); }

void WinDesktop::setBusyCursor(bool busy) {
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(busy ? IDC_WAIT : IDC_ARROW)));
}

void WinDesktop::sleep(unsigned milliseconds) { Sleep(milliseconds); }

namespace {

// SHFileOperation wants a list ended by two NULs.
std::string DoubleNul(const std::string& path) { return path + std::string(2, '\0'); }

}  // namespace

bool WinShell::deleteSilent(const std::string& path) {
    std::string from = DoubleNul(path);
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

bool WinShell::copySilent(const std::string& from, const std::string& to) {
    std::string source = DoubleNul(from), target = DoubleNul(to);
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_COPY;
    op.pFrom = source.c_str();
    op.pTo = target.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

std::string WinShell::userStartupFolder() {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(FormHostOf().mainWindow(), CSIDL_STARTUP, &list))) return {};
    char buffer[MAX_PATH] = {};   // SHGetPathFromIDListA writes up to MAX_PATH characters
    BOOL ok = SHGetPathFromIDListA(list, buffer);
    CoTaskMemFree(list);
    return ok ? std::string(buffer) : std::string();
}

std::intptr_t WinShell::open(const std::string& target, const std::string& directory, bool hidden) {
    HINSTANCE result = ShellExecuteA(GetActiveWindow(), "open", target.c_str(), "",
                                     directory.empty() ? nullptr : directory.c_str(), hidden ? SW_HIDE : SW_SHOWNORMAL);
    return reinterpret_cast<std::intptr_t>(result);
}

bool WinShell::run(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

std::string WinShell::lastErrorDescription() { return ErrorText(GetLastError()); }

std::string ErrorText(DWORD error) {
    if (!error) return {};
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = text ? text : "";
    if (text) LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
    return result;
}

}  // namespace qv::win
