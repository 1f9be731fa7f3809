// The enciphered files on the stick: any bytes as an enciphered file, and any bytes enciphered
// and deciphered again, as the plain lock duration (tmhr.ini) read through the lock timer.
#include "fuzz_world.h"
#include "lock/lock_timer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    test::LockTimerWorld w;
    const std::string stored = w.path("in.bin"), plain = w.path("out.bin");
    w.fs.put(stored, bytes);
    try {
        w.cipher().sFileDecrypt(stored, plain);
        std::uint32_t length = 0;
        for (std::size_t i = 4; i-- > 0;) length = (length << 8) | static_cast<std::uint8_t>(bytes[i]);
        fuzz::Require(w.fs.get(plain).size() == length);
    } catch (const AppError&) {
        fuzz::Require(!w.fs.has(plain));
    }
    const int hours = ValidLockHours(FirstLockTimerItem(bytes), kLockScreenMaxHours);
    fuzz::Require(hours >= 0 && hours <= kLockScreenMaxHours);
    if (bytes.empty()) return 0;   // an empty plain file cannot be enciphered
    w.putTimer(bytes);
    fuzz::Require(w.timerContent() == bytes);
    fuzz::Require(ReadLockTimerDuration(w.ctx) == hours);
    fuzz::Require(ReadLockTimerHours(w.ctx) == (hours <= kDialogMaxHours ? hours : 0));
    fuzz::Require(!w.leftovers());
    return 0;
}
