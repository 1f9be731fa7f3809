#include "services/win_services.h"

#include <oleauto.h>

namespace qv::win {

namespace {

// SetDefaultDllDirectories exists from Windows 8 (and 7 with its update); where it does, the
// LOAD_LIBRARY_SEARCH_* flags are understood too.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
SetDefaultDllDirectoriesFn SetDefaultDllDirectoriesProc() {
    static const auto fn = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    return fn;
}

// The folder of the running program, with its trailing backslash.
std::string ProgramFolder() {
    char buffer[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return {};
    std::string path(buffer, length);
    return path.substr(0, path.find_last_of('\\') + 1);
}

// Loads a library of the program folder once, by its full path; later calls reuse the handle
// (0 while it cannot be loaded). Its own imports come from its folder and the system folder.
HMODULE Load(HMODULE& module, const char* name) {
    if (module) return module;
    const std::string folder = ProgramFolder();
    if (folder.empty()) return nullptr;
    const std::string path = folder + name;
    const DWORD flags = SetDefaultDllDirectoriesProc()
                            ? DWORD{LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32}
                            : DWORD{LOAD_WITH_ALTERED_SEARCH_PATH};
    module = LoadLibraryExA(path.c_str(), nullptr, flags);
    return module;
}

template <typename Fn>
Fn Proc(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

void LimitLibrarySearch() {
    // The current folder may be anyone's: it leaves the search (Windows XP SP1 and later).
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto setDllDirectory =
        reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDllDirectory) setDllDirectory("");
    // Where the system allows it, libraries loaded by name come from the system folder only.
    if (auto fn = SetDefaultDllDirectoriesProc()) fn(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

std::string SystemLibraryPath(const char* name) {
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) return name;
    return std::string(folder, length) + "\\" + name;
}

bool WinLockDownLibrary::preload() { return Load(module_, "QuorvelDll.dll") != nullptr; }
bool WinUsbSerialLibrary::preload() { return Load(module_, "KvUSBSerial.DLL") != nullptr; }
bool WinSecureDeleteLibrary::preload() { return Load(module_, "SecureDel.dll") != nullptr; }

void WinLockDownLibrary::call(const char* operation, std::int32_t flag) {
    using Fn = LONG(WINAPI*)(LONG);
    if (auto fn = Proc<Fn>(Load(module_, "QuorvelDll.dll"), operation)) fn(flag);
}

bool WinUsbSerialLibrary::getUSBSerial(char* buffer, std::int16_t& length, std::int16_t& count,
                                       std::int16_t& status) {
    // The result comes back through a caller-owned VARIANT passed ahead of the arguments.
    using Fn = void(WINAPI*)(VARIANT*, char*, short*, short*, short*);
    auto fn = Proc<Fn>(Load(module_, "KvUSBSerial.DLL"), "GetUSBSerial");
    if (!fn) return false;
    VARIANT result;
    VariantInit(&result);
    fn(&result, buffer, &length, &count, &status);
    VariantClear(&result);
    return true;
}

std::int16_t WinSecureDeleteLibrary::sDelete(const std::string& path) {
    using Fn = short(WINAPI*)(const char*);
    auto fn = Proc<Fn>(Load(module_, "SecureDel.dll"), "SDelete");
    return fn ? fn(path.c_str()) : 0;
}

}  // namespace qv::win
