#include "services/win_lock_services.h"

namespace qv::win {

namespace {

constexpr ULONG kSeShutdownPrivilege = 19;
constexpr int kShutdownNoReboot = 0;

using RtlAdjustPrivilegeFn = LONG(NTAPI*)(ULONG, BOOLEAN, BOOLEAN, PBOOLEAN);
using NtShutdownSystemFn = LONG(NTAPI*)(int);
using RtlNtStatusToDosErrorFn = ULONG(NTAPI*)(LONG);

template <typename Fn>
Fn NtdllProc(const char* name) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(ntdll, name))) : nullptr;
}

// The shut-down privilege of the process token; false where the system has no tokens.
bool EnableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool ok = LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid) &&
              AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
              GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return ok;
}

}  // namespace

bool WinSystemPower::shutdownNt() {
    auto adjust = NtdllProc<RtlAdjustPrivilegeFn>("RtlAdjustPrivilege");
    auto shutdown = NtdllProc<NtShutdownSystemFn>("NtShutdownSystem");
    if (!shutdown) return false;
    BOOLEAN previous = FALSE;
    if (adjust) adjust(kSeShutdownPrivilege, TRUE, FALSE, &previous);
    const LONG status = shutdown(kShutdownNoReboot);
    if (status >= 0) return true;
    // The dialog tells the user why, from the thread's last error.
    if (auto toError = NtdllProc<RtlNtStatusToDosErrorFn>("RtlNtStatusToDosError")) SetLastError(toError(status));
    return false;
}

bool WinSystemPower::exitWindows98() { return ExitWindowsEx(EWX_SHUTDOWN, 0) != 0; }

bool WinSystemPower::restart() {
    EnableShutdownPrivilege();
    return ExitWindowsEx(EWX_REBOOT, 0) != 0;
}

bool WinSystemPower::logOff() {
    EnableShutdownPrivilege();
    return ExitWindowsEx(EWX_LOGOFF, 0) != 0;
}

}  // namespace qv::win
