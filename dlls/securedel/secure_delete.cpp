// SecureDel.dll: SDelete overwrites a file's contents, first with zeros and then with
// random bytes, flushing each pass to the disk, and only then deletes it, so that the
// old contents cannot be read back from the medium after the delete.
#include <windows.h>

#include <cstdint>

namespace {

constexpr DWORD kChunk = 64 * 1024;

// Overwriting needs unpredictable-looking bytes, not key material: xorshift64* suffices.
class ByteNoise {
public:
    ByteNoise() {
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        state_ = static_cast<std::uint64_t>(counter.QuadPart) ^ (std::uint64_t{GetTickCount()} << 32) ^
                 GetCurrentProcessId() ^ reinterpret_cast<std::uintptr_t>(this);
        if (state_ == 0) state_ = 0x9E3779B97F4A7C15ull;
    }
    void fill(unsigned char* buffer, DWORD size) {
        for (DWORD i = 0; i < size; ++i) {
            state_ ^= state_ >> 12;
            state_ ^= state_ << 25;
            state_ ^= state_ >> 27;
            buffer[i] = static_cast<unsigned char>((state_ * 0x2545F4914F6CDD1Dull) >> 56);
        }
    }

private:
    std::uint64_t state_;
};

// One pass over the whole file from its start; the second argument makes the bytes random.
bool OverwritePass(HANDLE file, std::uint64_t size, bool random) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    // From the process heap, not the C++ runtime: the library carries none, and a failed
    // allocation is an ordinary failure here, never an exception into the caller.
    auto* buffer = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kChunk));
    if (!buffer) return false;
    ByteNoise noise;
    bool ok = true;
    for (std::uint64_t left = size; ok && left > 0;) {
        DWORD part = left < kChunk ? static_cast<DWORD>(left) : kChunk;
        if (random) noise.fill(buffer, part);
        DWORD written = 0;
        ok = WriteFile(file, buffer, part, &written, nullptr) && written == part;
        left -= part;
    }
    HeapFree(GetProcessHeap(), 0, buffer);
    return ok && FlushFileBuffers(file) != 0;
}

// Overwrites the contents in place. A file with further hard links keeps its contents:
// they still belong to the other names.
bool Overwrite(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info) && info.nNumberOfLinks <= 1) {
        std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
        ok = OverwritePass(file, size, false) && OverwritePass(file, size, true);
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

// 1 when the file was overwritten and deleted, 0 otherwise. Folders are never touched.
extern "C" __declspec(dllexport) short __stdcall SDelete(const char* path) {
    if (path == nullptr || path[0] == '\0') return 0;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link: overwriting would destroy the file it points to; only the link goes.
        return DeleteFileA(path) ? 1 : 0;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY))
        return 0;
    if (!Overwrite(path)) {
        // Still in one piece (or partly overwritten): leave it as found for the caller's plain delete.
        SetFileAttributesA(path, attributes);
        return 0;
    }
    if (DeleteFileA(path)) return 1;
    SetFileAttributesA(path, attributes);
    return 0;
}
