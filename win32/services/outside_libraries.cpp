#include "services/win_services.h"

#include <oleauto.h>

namespace qv::win {

namespace {

// Loads a library once; later calls reuse the handle (0 while it cannot be loaded).
HMODULE Load(HMODULE& module, const char* name) {
    if (!module) module = LoadLibraryA(name);
    return module;
}

template <typename Fn>
Fn Proc(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

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
