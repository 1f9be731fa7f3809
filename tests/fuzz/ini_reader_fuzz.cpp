// The INI reader and writer on any file content: Setting.ini, USBLockDrive.ini and the
// deciphered stores all come from the stick.
#include "app/ini_file.h"
#include "fuzz_world.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv;
    auto parts = fuzz::Pieces(data, size, 3);   // content, section, key
    test::FakeFileSystem fs;
    const std::string file = "F:\\Program\\quorvel\\Setting.ini";
    fs.put(file, parts[0]);
    for (auto [section, key] : {std::pair{parts[1], parts[2]}, {std::string("Setting"), std::string("Language")}})
        ReadIni(fs, section, key, "<default>", file);
    // A key written is read back as written, spaces at its ends aside.
    const std::string section = "S" + std::to_string(size), key = "K";
    if (WriteIni(fs, section, key, "value", file)) fuzz::Require(ReadIni(fs, section, key, "", file) == "value");
    return 0;
}
