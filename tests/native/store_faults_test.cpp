#include <gtest/gtest.h>

#include "app/lock_record.h"
#include "lock/set_timer_form.h"
#include "lock_timer_world.h"
#include "password/password_store.h"
#include "password/plain_file_guard.h"

using namespace qv;
using namespace qv::test;

namespace {

bool Save(LockTimerWorld& w, const char* key, const char* password) {
    w.ctx.globals().lockUSBKeyId = key;
    return SavePassword(w.ctx, password);
}

bool SetDuration(LockTimerWorld& w) {
    w.forms.scripts["frmSetTimer"] = [&w](Form& f) {
        w.forms.viewOf(f).setText("combo1", "5");
        f.click("cmdOk");
    };
    ShowSetTimerDialog(w.ctx);
    return !w.messages.shown.empty() && w.messages.last().text == "Set to 5 hours.";
}

bool WriteRecord(LockTimerWorld& w) {
    w.ctx.globals().lockUSBKeyId = "KEY1";
    WriteLockIni(w.ctx);
    return ReadLockRecord(w.ctx).keyId == "KEY1";
}

// Each way of changing the stores and the record, true when it reports success; then KEY1's
// passphrase and the lock duration once it has succeeded.
struct Journey { bool (*run)(LockTimerWorld&); const char *key1After, *hoursAfter; } const kJourneys[] = {
    {[](LockTimerWorld& w) { return Save(w, "KEY1", "new one"); }, "new one", "7\r\n"},
    {[](LockTimerWorld& w) { return Save(w, "KEY2", "second"); }, "old one", "7\r\n"},
    {[](LockTimerWorld& w) { return DeletePassword(w.ctx, "KEY1"); }, "", "7\r\n"},
    {SetDuration, "old one", "5\r\n"},
    {WriteRecord, "old one", "7\r\n"},
};

struct FaultWorld : LockTimerWorld {
    FaultWorld() {
        putEnciphered(path("pass.st"), "[PassCnt]\r\nPassCnt=2\r\n[Pass1]\r\nPassSerial=KEY1\r\nPassword=old one\r\n"
                                       "[Pass2]\r\nPassSerial=KEY3\r\nPassword=third\r\n");
        putTimer("7\r\n");
        ctx.globals().lockDriveLetter = "F";
        loadStrings({{122, "hours"}, {531, "Set to"}});
        fs.changes = 0;
    }
    bool plainLeft() const {
        for (const char* name : {"pass.ini", "pass.ini.new", "tmhr.ini", "tmhr.ini.new"})
            if (fs.has(path(name))) return true;
        return false;
    }
};

}  // namespace

// Every change a journey makes fails in turn, as on a full disk, in a folder that turns
// read-only, and on a stick pulled out at that moment.
TEST(StoreFaults, EveryFailingChangeKeepsTheOldStoreTellsTheUserAndLeavesNothingPlain) {
    using Fault = FakeFileSystem::Fault;
    for (const Journey& j : kJourneys) {
        FaultWorld clean;
        ASSERT_TRUE(j.run(clean)) << j.key1After << j.hoursAfter;
        for (Fault fault : {Fault::OneChange, Fault::FolderReadOnly, Fault::MediumPulled}) {
            for (int n = 1; n <= clean.fs.changes; ++n) {
                const std::string at = "journey " + std::to_string(&j - kJourneys) + ", fault " +
                                       std::to_string(int(fault)) + " at change " + std::to_string(n);
                FaultWorld w;
                w.fs.failAt = n;
                w.fs.fault = fault;
                const bool ok = j.run(w);
                EXPECT_TRUE(ok || j.run == WriteRecord || !w.messages.shown.empty()) << at << ": failed silently";
                EXPECT_TRUE(fault != Fault::OneChange || !w.plainLeft()) << at;
                // The stick comes back or the folder is writable again; the next start clears up.
                w.fs.failAt = 0;
                w.fs.pulled = false;
                RemovePlainLeftovers(w.ctx);
                EXPECT_FALSE(w.plainLeft()) << at;
                EXPECT_EQ(GetPassword(w.ctx, "KEY1"), ok ? j.key1After : "old one") << at;
                EXPECT_EQ(GetPassword(w.ctx, "KEY3"), "third") << at;
                EXPECT_EQ(w.timerContent(), ok ? j.hoursAfter : "7\r\n") << at;
                const LockRecord r = ReadLockRecord(w.ctx);
                EXPECT_TRUE(!r.complete || !r.markerOk || r.keyId == "KEY1") << at << ": a record of another key";
            }
        }
    }
}
