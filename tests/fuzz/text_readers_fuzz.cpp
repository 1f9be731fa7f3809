// Texts from the stick and the web: the INI reader and writer on any file content (Setting.ini,
// USBLockDrive.ini and the deciphered stores all come from the stick), the lock-state record in
// its two text encodings and its three files, and the update check's reply through the Help
// menu's handler.
#include "app/ini_file.h"
#include "app/lock_record.h"
#include "app/record_encoding.h"
#include "fuzz_world.h"
#include "help/update_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv;
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto parts = fuzz::Pieces(data, size, 3);   // a file and a section and key in it; or the record's three files
    test::FakeWorld w;
    const std::string ini = w.path("Setting.ini");
    w.fs.put(ini, parts[0]);
    for (auto [section, key] : {std::pair{parts[1], parts[2]}, {std::string("Setting"), std::string("Language")}})
        ReadIni(w.fs, section, key, "<default>", ini);
    // A key written is read back as written, spaces at its ends aside.
    const std::string section = "S" + std::to_string(size);
    if (WriteIni(w.fs, section, "K", "value", ini)) fuzz::Require(ReadIni(w.fs, section, "K", "", ini) == "value");

    DecodeDigitText(text);
    DecodeOffsetText(text);
    fuzz::Require(DecodeDigitText(EncodeDigitText(text)) == text);
    fuzz::Require(DecodeOffsetText(EncodeOffsetText(text, 25 + static_cast<int>(size % 75))) == text);
    const char* const records[] = {kRecordIni, kRecordSerial1, kRecordSerial2};
    for (std::size_t i = 0; i < 3; ++i) w.fs.put(w.path(records[i]), parts[i]);
    ReadLockRecord(w.ctx);

    w.http.body = text;
    CheckUpdateForm dialog(w.ctx);
    mnuHelpUpdates(w.ctx, dialog);
    return 0;
}
