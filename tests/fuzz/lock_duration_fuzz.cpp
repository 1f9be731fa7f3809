// The lock-duration file: any plain content of tmhr.ini, and its reading through the cipher.
#include "fuzz_world.h"
#include "lock/lock_timer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv;
    const std::string content(reinterpret_cast<const char*>(data), size);
    const std::string item = qv::FirstLockTimerItem(content);
    const int hours = ValidLockHours(item, kLockScreenMaxHours);
    fuzz::Require(hours >= 0 && hours <= kLockScreenMaxHours);
    if (content.empty()) return 0;
    test::LockTimerWorld w;
    w.putTimer(content);
    fuzz::Require(ReadLockTimerDuration(w.ctx) == hours);
    const int dialogHours = ReadLockTimerHours(w.ctx);
    fuzz::Require(dialogHours == (hours <= kDialogMaxHours ? hours : 0));
    fuzz::Require(!w.leftovers());
    return 0;
}
