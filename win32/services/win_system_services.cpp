#include <ctime>

#include "services/win_services.h"

namespace qv::win {

namespace {
HKEY RootKey(RegRoot root) { return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<std::uint32_t>(root))); }
}

void WinRegistry::deleteValue(RegRoot root, const std::string& key, const std::string& name) {
    HKEY handle = nullptr;
    RegOpenKeyA(RootKey(root), key.c_str(), &handle);
    RegDeleteValueA(handle, name.c_str());
    RegCloseKey(handle);
}

bool WinRegistry::setString(RegRoot root, const std::string& key, const std::string& name, const std::string& data) {
    HKEY handle = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(RootKey(root), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, 0x3F, nullptr, &handle,
                        &disposition) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>(data.size() + 1));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

std::optional<RegValue> WinRegistry::query(RegRoot root, const std::string& key, const std::string& name) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(RootKey(root), key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return std::nullopt;
    char buffer[1024];
    DWORD size = sizeof buffer, type = 0;
    LONG result = RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS) return std::nullopt;
    return RegValue{type, std::string(buffer, size)};
}

unsigned WinDrives::driveType(char letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    return GetDriveTypeA(root);
}

bool WinDrives::isReady(char letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    // No "insert a disk" box for an empty drive.
    UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    DWORD serial = 0, maxLength = 0, flags = 0;
    BOOL ready = GetVolumeInformationA(root, nullptr, 0, &serial, &maxLength, &flags, nullptr, 0);
    SetErrorMode(previous);
    return ready != 0;
}

DateTime WinClock::now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    std::tm tm{};
    tm.tm_year = st.wYear - 1900;
    tm.tm_mon = st.wMonth - 1;
    tm.tm_mday = st.wDay;
    tm.tm_hour = st.wHour;
    tm.tm_min = st.wMinute;
    tm.tm_sec = st.wSecond;
    return static_cast<DateTime>(_mkgmtime(&tm));
}

std::string WinClock::generalDate(DateTime t) {
    std::time_t value = static_cast<std::time_t>(t);
    std::tm tm{};
    gmtime_s(&tm, &value);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(tm.tm_year + 1900);
    st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
    st.wDay = static_cast<WORD>(tm.tm_mday);
    st.wHour = static_cast<WORD>(tm.tm_hour);
    st.wMinute = static_cast<WORD>(tm.tm_min);
    st.wSecond = static_cast<WORD>(tm.tm_sec);
    char date[64] = {}, time[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, sizeof time);
    return std::string(date) + " " + time;
}

OsVersionInfo WinSystemInfo::version() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;   // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&info);
#pragma GCC diagnostic pop
    return {info.dwMajorVersion, info.dwMinorVersion, info.dwPlatformId};
}

bool WinSystemInfo::isNTAdmin() {
    HMODULE advpack = LoadLibraryA("advpack.dll");
    if (!advpack) return false;
    using IsNTAdminFn = BOOL(WINAPI*)(DWORD, DWORD*);
    auto fn = reinterpret_cast<IsNTAdminFn>(reinterpret_cast<void*>(GetProcAddress(advpack, "IsNTAdmin")));
    bool admin = fn && fn(0, nullptr) != 0;
    FreeLibrary(advpack);
    return admin;
}

bool WinSystemInfo::claimSingleInstance() {
    // "Local\" scopes the name to this logon session.
    mutex_ = CreateMutexA(nullptr, TRUE, "Local\\VantrelQuorvelLiteSingleInstance");
    return mutex_ && GetLastError() != ERROR_ALREADY_EXISTS;
}

std::string WinSystemInfo::executablePath() {
    char buffer[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return std::string(buffer, length);
}

StringLibraryLoader::Handle WinStringLoader::load(const std::string& path) {
    return reinterpret_cast<Handle>(LoadLibraryA(path.c_str()));
}

bool WinStringLoader::free(Handle handle) { return handle && FreeLibrary(reinterpret_cast<HMODULE>(handle)); }

std::optional<std::string> WinStringLoader::loadString(Handle handle, std::uint32_t id, int maxChars) {
    std::string buffer(500, ' ');
    LoadStringA(reinterpret_cast<HINSTANCE>(handle), id, buffer.data(), maxChars);
    return buffer;
}

std::string WinProgramStrings::get(std::uint32_t id) {
    char buffer[1024] = {};
    int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::optional<std::string> WinProgramStrings::customResource(int id) {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(self, MAKEINTRESOURCEA(id), "CUSTOM");
    if (!resource) return std::nullopt;
    HGLOBAL loaded = LoadResource(self, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return std::nullopt;
    return std::string(static_cast<const char*>(data), SizeofResource(self, resource));
}

}  // namespace qv::win
