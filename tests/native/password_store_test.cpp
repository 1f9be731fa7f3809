#include <gtest/gtest.h>

#include "lock_timer_world.h"
#include "password/password_store.h"

namespace qv {
namespace {

using test::FakeMessageBoxes;

std::string Critical(const std::string& title, const std::string& text) {
    return FakeMessageBoxes::box(title, text, MbOk | MbIconCritical);
}

struct StoreWorld : test::LockTimerWorld {
    const std::string store = path("pass.st"), passIni = path("pass.ini");

    bool save(const std::string& keyId, const std::string& password) {
        ctx.globals().lockUSBKeyId = keyId;
        return SavePassword(ctx, password);
    }
    bool storeLeftovers() const { return fs.has(passIni) || fs.has(store + ".new") || fs.has(passIni + ".new"); }
};

TEST(PasswordStore, EachKeyKeepsOnePassphrase) {
    StoreWorld w;
    EXPECT_EQ(GetPassword(w.ctx, "KEY1"), "");
    EXPECT_TRUE(DeletePassword(w.ctx, "KEY1"));   // no store: nothing to delete
    ASSERT_TRUE(w.save("KEY1", "FIRST"));
    std::shared_ptr<clsBlowfish> shared = w.ctx.blowfishSlot();
    ASSERT_TRUE(w.save("KEY1 ", "SECOND"));   // replaces: identities are compared trimmed
    w.fs.setAttributes(w.store, AttrReadOnly | AttrHidden);   // replaced all the same
    ASSERT_TRUE(w.save("KEY2", "OTHER"));
    ASSERT_TRUE(w.save("key2", "LOWER"));     // but case-sensitively
    EXPECT_EQ(GetPassword(w.ctx, " KEY1 "), "SECOND");
    EXPECT_EQ(GetPassword(w.ctx, "key2"), "LOWER");
    EXPECT_TRUE(DeletePassword(w.ctx, "KEY9"));
    ASSERT_TRUE(DeletePassword(w.ctx, " KEY1"));
    EXPECT_EQ(w.deciphered(w.store), "[PassCnt]\r\nPassCnt=2\r\n\r\n[Pass1]\r\nPassSerial=KEY2\r\nPassword=OTHER\r\n"
                                     "\r\n[Pass2]\r\nPassSerial=key2\r\nPassword=LOWER\r\n");
    EXPECT_EQ(w.ctx.blowfishSlot(), shared) << "one shared cipher object";
    EXPECT_TRUE(w.messages.shown.empty());
    EXPECT_FALSE(w.storeLeftovers());
}

TEST(PasswordStore, CountValues) {
    const std::string entries = "\r\n[Pass1]\r\nPassSerial=A\r\nPassword=first\r\n[Pass2]\r\nPassSerial=B\r\n"
                                "Password=second\r\n[Pass3]\r\nPassSerial=C\r\nPassword=third\r\n";
    struct Case { const char* count; const char* found; };
    for (const Case& c : {Case{"3", "third"}, Case{" 3 ", "third"}, Case{"0003", "third"}, Case{"32767", "third"},
                          Case{"2", ""}, Case{"abc", ""}, Case{"1 2", ""}, Case{"", ""}, Case{"-3", ""},
                          Case{"32768", ""}}) {
        StoreWorld w;
        w.putEnciphered(w.store, std::string("[PassCnt]\r\nPassCnt=") + c.count + entries);
        EXPECT_EQ(GetPassword(w.ctx, "C"), c.found) << c.count;
        EXPECT_FALSE(w.storeLeftovers()) << c.count;
    }
    // A count that is not a number starts the store over at entry 1.
    StoreWorld w;
    w.putEnciphered(w.store, "[PassCnt]\r\nPassCnt=x1" + entries);
    ASSERT_TRUE(w.save("D", "fourth"));
    EXPECT_EQ(GetPassword(w.ctx, "D") + GetPassword(w.ctx, "A") + GetPassword(w.ctx, "B"), "fourth");
}

TEST(PasswordStore, StalePlainFileIsDeletedFirst) {
    const std::string stale = "[PassCnt]\r\nPassCnt=1\r\n[Pass1]\r\nPassSerial=K\r\nPassword=stale\r\n";
    StoreWorld w;
    w.fs.put(w.passIni, stale);
    EXPECT_EQ(GetPassword(w.ctx, "K"), "");
    EXPECT_EQ(w.fs.log.front(), "remove " + w.passIni);
    w.fs.put(w.passIni, stale);
    ASSERT_TRUE(w.save("NEW", "fresh"));
    EXPECT_EQ(GetPassword(w.ctx, "K") + GetPassword(w.ctx, "NEW"), "fresh");
    EXPECT_FALSE(w.storeLeftovers());
}

TEST(PasswordStore, WriteFailuresAreReportedAndKeepTheOldStore) {
    StoreWorld w;
    w.fs.failWrites.insert(w.passIni);
    EXPECT_FALSE(w.save("KEY1", "pw"));
    std::vector<std::string> texts;
    for (const char* part : {"PassCnt", "PassSerial", "Password"})
        texts.push_back(Critical(kAppTitle, std::string("Failed to write Pass(") + part + ") file."));
    texts.push_back(Critical("Error", "Error: Source file is not found"));
    EXPECT_EQ(w.messages.boxes(), texts);
    EXPECT_FALSE(w.fs.has(w.store));

    w.fs.failWrites.clear();
    ASSERT_TRUE(w.save("KEY1", "old password"));
    w.messages.shown.clear();
    w.fs.failWrites.insert(w.store);
    EXPECT_FALSE(w.save("KEY1", "new password"));
    w.messages.expectOnly("Error: Path/File access error", "Error", MbOk | MbIconCritical);
    EXPECT_FALSE(w.storeLeftovers());
    w.fs.failWrites.clear();
    EXPECT_EQ(GetPassword(w.ctx, "KEY1"), "old password");
}

TEST(PasswordStore, BrokenFilesFailQuietlyOnReadAndADamagedStoreMayBeStartedAnew) {
    const std::string question = "The passphrase store pass.st is damaged and cannot be read.\r\n\r\n"
                                 "Start a new passphrase store? The damaged file is kept as pass.st.damaged2.";
    const std::string asked = FakeMessageBoxes::box(kAppTitle, question, MbYesNo | MbIconExclamation);
    const std::string notRenamed = Critical(kAppTitle, "The damaged passphrase store could not be renamed to "
                                                       "pass.st.damaged2.");
    auto damage = [](StoreWorld& w) { w.fs.put(w.store, std::string(4, '\xff') + std::string(8, 'x')); };
    struct Case { const char* name; std::function<void(StoreWorld&)> breakIt; int answer; bool renameFails;
                  std::vector<std::string> boxes; };
    const Case cases[] = {
        {"no bf.dat", [](StoreWorld& w) { w.fs.remove(w.path("bf.dat")); }, 0, false,
         {Critical("Error", "Error: bf.dat not found")}},
        {"damaged, kept", damage, IdNo, false, {asked}},
        {"damaged, rename fails", damage, IdYes, true, {asked, notRenamed}},
        {"read-only and short", [](StoreWorld& w) { w.fs.put(w.store, "short", AttrReadOnly); }, IdYes, false, {asked}},
        {"huge count", [](StoreWorld& w) { w.putEnciphered(w.store, "[PassCnt]\r\nPassCnt=40000\r\n"); }, IdYes,
         false, {asked}},
    };
    for (const Case& c : cases) {
        StoreWorld w;
        ASSERT_TRUE(w.save("KEY1", "kept"));
        c.breakIt(w);
        w.fs.put(w.store + ".damaged", "an earlier one");
        if (c.renameFails) w.fs.failWrites.insert(w.store + ".damaged2");
        const std::string before = w.fs.get(w.store);
        EXPECT_EQ(GetPassword(w.ctx, "KEY1"), "") << c.name;
        EXPECT_TRUE(w.messages.shown.empty()) << c.name;
        w.messages.answers = {c.answer};
        const bool startedAnew = c.answer == IdYes && !c.renameFails;
        EXPECT_EQ(w.save("KEY2", "changed"), startedAnew) << c.name;
        EXPECT_EQ(w.messages.boxes(), c.boxes) << c.name;
        EXPECT_EQ(w.fs.get(w.store + ".damaged"), "an earlier one");
        EXPECT_EQ(w.fs.get(startedAnew ? w.store + ".damaged2" : w.store), before) << c.name;
        EXPECT_EQ(GetPassword(w.ctx, "KEY2"), startedAnew ? "changed" : "") << c.name;
        EXPECT_FALSE(w.storeLeftovers()) << c.name;
    }
}

}  // namespace
}  // namespace qv
