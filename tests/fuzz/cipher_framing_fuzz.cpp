// The cipher's file framing: any bytes as an enciphered file, and any bytes enciphered and
// deciphered again.
#include "fuzz_world.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    test::LockTimerWorld w;
    clsBlowfish bf = w.cipher();
    const std::string stored = w.path("in.bin"), plain = w.path("out.bin");
    w.fs.put(stored, bytes);
    try {
        bf.sFileDecrypt(stored, plain);
        std::uint32_t length = 0;
        for (int i = 3; i >= 0; --i) length = (length << 8) | static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(i)]);
        fuzz::Require(w.fs.get(plain).size() == length);
    } catch (const AppError&) {
        fuzz::Require(!w.fs.has(plain));
    }
    if (!bytes.empty()) {
        w.fs.put(plain, bytes);
        bf.sFileEncrypt(plain, stored);
        w.fs.files.erase(plain);
        bf.sFileDecrypt(stored, plain);
        fuzz::Require(w.fs.get(plain) == bytes);
    }
    return 0;
}
