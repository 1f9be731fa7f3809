// The lock-state record: its two text encodings and the reading of the three record files.
#include "app/lock_record.h"
#include "app/record_encoding.h"
#include "fuzz_world.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv;
    const std::string text(reinterpret_cast<const char*>(data), size);
    DecodeDigitText(text);
    DecodeOffsetText(text);
    fuzz::Require(DecodeDigitText(EncodeDigitText(text)) == text);
    fuzz::Require(DecodeOffsetText(EncodeOffsetText(text, 25 + static_cast<int>(size % 75))) == text);

    auto parts = fuzz::Pieces(data, size, 3);
    test::FakeWorld w;
    w.fs.put(w.path(kRecordIni), parts[0]);
    w.fs.put(w.path(kRecordSerial1), parts[1]);
    w.fs.put(w.path(kRecordSerial2), parts[2]);
    ReadLockRecord(w.ctx);
    return 0;
}
