// The password store after decipherment: any plain content of pass.ini, read, written and
// deleted from through the store's own routines. A target of its own: a store claiming many
// entries is slow to read, which would hold back the fuzzing of the other stick files.
#include "fuzz_world.h"
#include "password/password_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv;
    auto parts = fuzz::Pieces(data, size, 2);   // plain store, key identity
    if (parts[0].empty()) return 0;             // an empty plain file cannot be enciphered
    test::LockTimerWorld w;
    w.putEnciphered(w.path("pass.st"), parts[0]);
    GetPassword(w.ctx, parts[1]);
    w.ctx.globals().lockUSBKeyId = "FUZZKEY";
    const bool saved = SavePassword(w.ctx, "passphrase");
    fuzz::Require(!saved || GetPassword(w.ctx, "FUZZKEY") == "passphrase");
    if (saved && DeletePassword(w.ctx, "FUZZKEY")) fuzz::Require(GetPassword(w.ctx, "FUZZKEY").empty());
    fuzz::Require(!w.fs.has(w.path("pass.ini")));
    return 0;
}
