// The enciphered files' format, the passphrase store, and every change to the stores and the
// lock record failing in turn.
#include <gtest/gtest.h>

#include "app/lock_record.h"
#include "lock/lock_timer.h"
#include "lock_timer_world.h"
#include "password/password_store.h"
#include "password/plain_file_guard.h"

namespace qv {
namespace {

using test::Log;

// "[PassCnt]\r\nPassCnt=1\r\n" as the program has always stored it: the length, then the blocks.
const std::string kStoredHex = "16000000258BDFCD1CE4A114D0B4C61BC47DE70EA60A2917A1EA6B2C";

std::string Hex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

struct StoreWorld : test::LockTimerWorld {
    const std::string store = path("pass.st"), passIni = path("pass.ini");

    // Filled: KEY1 and KEY3 with passphrases and a lock duration of 7 hours, as each fault journey starts.
    explicit StoreWorld(bool filled = false) {
        if (!filled) return;
        putEnciphered(store, "[PassCnt]\r\nPassCnt=2\r\n[Pass1]\r\nPassSerial=KEY1\r\nPassword=old one\r\n"
                             "[Pass2]\r\nPassSerial=KEY3\r\nPassword=third\r\n");
        putTimer("7\r\n");
        ctx.globals().lockDriveLetter = "F";
        fs.changes = 0;
    }
    bool save(const std::string& keyId, const std::string& password) {
        ctx.globals().lockUSBKeyId = keyId;
        return SavePassword(ctx, password);
    }
    bool plainLeft() const {
        return fs.has(passIni) || fs.has(passIni + ".new") || fs.has(plain) || fs.has(plain + ".new");
    }
};

// Each way of changing the stores and the record, true when it reports success; then KEY1's
// passphrase and the lock duration once it has succeeded. The store's changes tell the user
// when they fail; the duration's and the record's leave that to their callers.
struct Journey { bool (*run)(StoreWorld&); const char *key1After, *hoursAfter; } const kJourneys[] = {
    {[](StoreWorld& w) { return w.save("KEY1", "new one"); }, "new one", "7\r\n"},
    {[](StoreWorld& w) { return w.save("KEY2", "second"); }, "old one", "7\r\n"},
    {[](StoreWorld& w) { return DeletePassword(w.ctx, "KEY1"); }, "", "7\r\n"},
    {[](StoreWorld& w) { return WriteLockTimer(w.ctx, "5"); }, "old one", "5\r\n"},
    {[](StoreWorld& w) {
         w.ctx.globals().lockUSBKeyId = "KEY1";
         WriteLockIni(w.ctx);
         return ReadLockRecord(w.ctx).keyId == "KEY1";
     }, "old one", "7\r\n"},
};

TEST(BlowfishBoxTable, RejectsMalformedTables) {
    std::string words;
    for (std::size_t i = 0; i < kBoxWords; ++i) words += "0123abcd ";
    for (const std::string& text : {words + "00000000", words.substr(9), words + "12", "0123ABCX " + words.substr(9)})
        EXPECT_THROW(BuildBoxFile(text), AppError) << text.substr(0, 20);
    EXPECT_EQ(BuildBoxFile("# c\n" + words + "# end").size(), kBoxFileSize);
}

// Stored files depend on these exact bytes; every size comes back as it went in.
TEST(BlowfishFiles, StoredFormatAndEverySize) {
    test::LockTimerWorld w;
    w.fs.setAttributes(w.path("bf.dat"), AttrReadOnly | AttrArchive);   // read-only boxes serve as well
    w.putTimer("[PassCnt]\r\nPassCnt=1\r\n");
    EXPECT_EQ(w.fs.get(w.stored), Hex(kStoredHex));
    w.fs.put(w.stored, Hex(kStoredHex) + "tail");   // bytes past the blocks were always ignored
    EXPECT_EQ(w.timerContent(), "[PassCnt]\r\nPassCnt=1\r\n");
    for (std::size_t n = 1; n <= 17; ++n) {
        w.putTimer(std::string(n, static_cast<char>(0xA0 + n)));
        EXPECT_EQ(w.timerContent(), std::string(n, static_cast<char>(0xA0 + n))) << n;
    }
}

// A plain file an earlier run left behind is deleted before anything is read or written.
TEST(PasswordStore, EachKeyKeepsOnePassphrase) {
    StoreWorld w;
    w.fs.put(w.passIni, "[PassCnt]\r\nPassCnt=1\r\n[Pass1]\r\nPassSerial=KEY1\r\nPassword=stale\r\n");
    EXPECT_EQ(GetPassword(w.ctx, "KEY1"), "");
    EXPECT_EQ(w.fs.log.front(), "remove " + w.passIni);
    EXPECT_TRUE(DeletePassword(w.ctx, "KEY1"));   // no store: nothing to delete
    ASSERT_TRUE(w.save("KEY1", "FIRST"));
    ASSERT_TRUE(w.save("KEY1 ", "SECOND"));   // replaces: identities are compared trimmed
    ASSERT_TRUE(w.save("KEY2", "OTHER"));
    w.fs.setAttributes(w.store, AttrReadOnly | AttrHidden);   // replaced all the same
    ASSERT_TRUE(w.save("key1", "LOWER"));     // but case-sensitively
    EXPECT_EQ(GetPassword(w.ctx, " KEY1 ") + GetPassword(w.ctx, "key1"), "SECONDLOWER");
    EXPECT_TRUE(DeletePassword(w.ctx, "KEY9"));
    ASSERT_TRUE(DeletePassword(w.ctx, " KEY1"));
    EXPECT_EQ(w.deciphered(w.store), "[PassCnt]\r\nPassCnt=2\r\n\r\n[Pass1]\r\nPassSerial=KEY2\r\nPassword=OTHER\r\n"
                                     "\r\n[Pass2]\r\nPassSerial=key1\r\nPassword=LOWER\r\n");
    EXPECT_FALSE(!w.messages.shown.empty() || w.plainLeft());
}

TEST(PasswordStore, CountValues) {
    const std::string entries = "\r\n[Pass1]\r\nPassSerial=A\r\nPassword=first\r\n[Pass2]\r\nPassSerial=B\r\n"
                                "Password=second\r\n[Pass3]\r\nPassSerial=C\r\nPassword=third\r\n";
    for (auto [count, found] : {std::pair{"3", "third"}, {" 3 ", "third"}, {"32767", "third"}, {"2", ""},
                                {"1 2", ""}, {"", ""}, {"32768", ""}}) {
        StoreWorld w;
        w.putEnciphered(w.store, std::string("[PassCnt]\r\nPassCnt=") + count + entries);
        EXPECT_EQ(GetPassword(w.ctx, "C") + (w.plainLeft() ? "|plain left" : ""), found) << count;
    }
}

// Reading a broken store fails quietly; saving tells why, keeps what was there, and may set a
// damaged store aside (under the first free name) to start anew. A stored length that is
// negative, zero or beyond the blocks is damage, not a size to read.
TEST(PasswordStore, BrokenFilesAndFailedWrites) {
    const std::string asked = "Quorvel|The passphrase store pass.st is damaged and cannot be read.\r\n\r\n"
                              "Start a new passphrase store? The damaged file is kept as pass.st.damaged2.|52";
    const std::string notRenamed = "Quorvel|The damaged passphrase store could not be renamed to pass.st.damaged2.|16";
    auto damaged = [](std::string bytes) { return [bytes](StoreWorld& w) { w.fs.put(w.store, bytes); }; };
    struct Case { std::function<void(StoreWorld&)> breakIt; int answer; bool renameFails; Log boxes; } const cases[] = {
        {[](StoreWorld& w) { w.fs.remove(w.path("bf.dat")); }, 0, false, {"Error|Error: bf.dat not found|16"}},
        {[](StoreWorld& w) { w.fs.setAttributes(w.path("bf.dat"), AttrHidden); }, 0, false,
         {"Error|Error: bf.dat not found|16"}},   // only an ordinary file is taken
        {damaged(std::string(4, '\xff') + std::string(8, 'x')), IdNo, false, {asked}},
        {damaged(std::string(12, '\0')), IdNo, false, {asked}},
        {damaged("\x11" + std::string(19, '\0')), IdNo, false, {asked}},
        {damaged(std::string(3, '\x03')), IdYes, true, {asked, notRenamed}},   // not even the length
        {[](StoreWorld& w) { w.putEnciphered(w.store, "[PassCnt]\r\nPassCnt=40000\r\n"); }, IdYes, false, {asked}},
        {[](StoreWorld& w) {   // no store yet, and the plain file cannot be written
             w.fs.remove(w.store);
             w.fs.failWrites.insert(w.passIni);
         }, 0, false, {"Quorvel|Failed to write Pass(PassCnt) file.|16",
                       "Quorvel|Failed to write Pass(PassSerial) file.|16",
                       "Quorvel|Failed to write Pass(Password) file.|16", "Error|Error: Source file is not found|16"}},
    };
    for (const Case& c : cases) {
        StoreWorld w;
        ASSERT_TRUE(w.save("KEY1", "kept"));
        c.breakIt(w);
        w.fs.put(w.store + ".damaged", "an earlier one");
        if (c.renameFails) w.fs.failWrites.insert(w.store + ".damaged2");
        const std::string before = w.fs.get(w.store);
        EXPECT_TRUE(GetPassword(w.ctx, "KEY1").empty() && w.messages.shown.empty());
        w.messages.answers = {c.answer};
        const bool startedAnew = c.answer == IdYes && !c.renameFails;
        EXPECT_EQ(w.save("KEY2", "changed"), startedAnew);
        EXPECT_EQ(w.messages.boxes(), c.boxes);
        EXPECT_EQ(w.fs.get(startedAnew ? w.store + ".damaged2" : w.store), before) << c.boxes.back();
        EXPECT_EQ(GetPassword(w.ctx, "KEY2") + (w.plainLeft() ? "|plain left" : ""), startedAnew ? "changed" : "");
    }
}

// Every change a journey makes fails in turn, as on a full disk, in a folder that turns
// read-only, and on a stick pulled out at that moment.
TEST(StoreFaults, EveryFailingChangeKeepsTheOldStoreTellsTheUserAndLeavesNothingPlain) {
    using Fault = test::FakeFileSystem::Fault;
    for (const Journey& j : kJourneys) {
        StoreWorld clean(true);
        ASSERT_TRUE(j.run(clean)) << j.key1After << j.hoursAfter;
        for (Fault fault : {Fault::OneChange, Fault::FolderReadOnly, Fault::MediumPulled}) {
            for (int n = 1; n <= clean.fs.changes; ++n) {
                const std::string at = "journey " + std::to_string(&j - kJourneys) + ", fault " +
                                       std::to_string(int(fault)) + " at change " + std::to_string(n);
                StoreWorld w(true);
                w.fs.failAt = n;
                w.fs.fault = fault;
                const bool ok = j.run(w);
                EXPECT_TRUE(ok || &j >= &kJourneys[3] || !w.messages.shown.empty()) << at << ": failed silently";
                // One failed change leaves nothing beside the files; the next start at least nothing plain.
                const bool anyLeft = w.plainLeft() || w.leftovers() || w.fs.has(w.store + ".new");
                EXPECT_TRUE(fault != Fault::OneChange || !anyLeft) << at;
                // The stick comes back or the folder is writable again; the next start clears up.
                w.fs.failAt = 0;
                w.fs.pulled = false;
                RemovePlainLeftovers(w.ctx);
                EXPECT_FALSE(w.plainLeft()) << at;
                EXPECT_EQ(GetPassword(w.ctx, "KEY1") + "|" + GetPassword(w.ctx, "KEY3") + "|" + w.timerContent(),
                          ok ? j.key1After + std::string("|third|") + j.hoursAfter : "old one|third|7\r\n") << at;
                const LockRecord r = ReadLockRecord(w.ctx);
                EXPECT_TRUE(!r.complete || !r.markerOk || r.keyId == "KEY1") << at << ": a record of another key";
            }
        }
    }
}

}  // namespace
}  // namespace qv
