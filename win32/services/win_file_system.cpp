#include "services/win_services.h"

namespace qv::win {

std::optional<FileInfo> WinFileSystem::stat(const std::string& path) const {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    FileInfo info;
    info.attributes = data.dwFileAttributes;
    info.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return info;
}

std::optional<std::string> WinFileSystem::read(const std::string& path) const {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string data;
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) data.append(buffer, got);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return data;
}

bool WinFileSystem::write(const std::string& path, std::string_view data) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // A hidden or read-only file refuses CREATE_ALWAYS with plain attributes; truncate it instead.
        file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < data.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1 << 20));
        DWORD written = 0;
        ok = WriteFile(file, data.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    // Not flushed: plain scratch files go through here and must not be forced to the medium.
    return CloseHandle(file) && ok;
}

bool WinFileSystem::replace(const std::string& from, const std::string& to) {
    // Only whole, enciphered files are put in place this way: they reach the medium before
    // they take the old file's name, so a pulled stick keeps the old or the new one.
    HANDLE file = CreateFileA(from.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool flushed = FlushFileBuffers(file) != 0;
    flushed = CloseHandle(file) && flushed;
    return flushed && MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool WinFileSystem::remove(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryA(path.c_str()) != 0;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileA(path.c_str()) != 0;
}

bool WinFileSystem::makeDirectory(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool WinFileSystem::copy(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool WinFileSystem::setAttributes(const std::string& path, unsigned attributes) {
    return SetFileAttributesA(path.c_str(), attributes) != 0;
}

}  // namespace qv::win
