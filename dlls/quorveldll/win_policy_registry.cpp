#include "win_policy_registry.h"

#include <windows.h>

#include <vector>

namespace qvdll {

namespace {

HKEY RootKey(qv::RegRoot root) {
    return root == qv::RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// KEY_WOW64_64KEY under WOW64 only: older systems without WOW64 may refuse the flag.
REGSAM ViewFlag() {
    static const REGSAM flag = [] {
        using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
        auto isWow64 = reinterpret_cast<Fn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
        BOOL wow64 = FALSE;
        return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64 ? REGSAM{KEY_WOW64_64KEY} : REGSAM{0};
    }();
    return flag;
}

class Key {
public:
    ~Key() {
        if (handle_) RegCloseKey(handle_);
    }
    HKEY* put() { return &handle_; }
    HKEY get() const { return handle_; }

private:
    HKEY handle_ = nullptr;
};

}  // namespace

std::optional<qv::RegValue> WinPolicyRegistry::read(qv::RegRoot root, const std::string& key,
                                                    const std::string& name) {
    Key k;
    if (RegOpenKeyExA(RootKey(root), key.c_str(), 0, KEY_QUERY_VALUE | ViewFlag(), k.put()) != ERROR_SUCCESS)
        return std::nullopt;
    // The size is asked first; a value that grows in between is asked again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::vector<BYTE> buffer(size + 1);
        DWORD got = size;
        LONG result = RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, buffer.data(), &got);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) return std::nullopt;
        return qv::RegValue{type, std::string(reinterpret_cast<const char*>(buffer.data()), got)};
    }
    return std::nullopt;
}

bool WinPolicyRegistry::write(qv::RegRoot root, const std::string& key, const std::string& name,
                              const qv::RegValue& value) {
    Key k;
    if (RegCreateKeyExA(RootKey(root), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | ViewFlag(),
                        nullptr, k.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(k.get(), name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool WinPolicyRegistry::remove(qv::RegRoot root, const std::string& key, const std::string& name) {
    Key k;
    LONG opened = RegOpenKeyExA(RootKey(root), key.c_str(), 0, KEY_SET_VALUE | ViewFlag(), k.put());
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    LONG result = RegDeleteValueA(k.get(), name.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace qvdll
