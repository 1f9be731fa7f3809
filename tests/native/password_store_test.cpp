#include <gtest/gtest.h>

#include "app/ini_file.h"
#include "lock_timer_world.h"
#include "password/password_store.h"

namespace qv {
namespace {

std::string Box(const std::string& title, const std::string& text) {
    return test::FakeMessageBoxes::box(title, text, MbOk | MbIconCritical);
}

struct StoreWorld : test::LockTimerWorld {
    const std::string store = path("pass.st"), passIni = path("pass.ini");

    void putStore(const std::string& ini) { putEnciphered(store, ini); }
    // A value of the deciphered store.
    std::string value(const std::string& section, const std::string& key) {
        fs.put(scratch, deciphered(store));
        const std::string found = ReadIni(fs, section, key, "<none>", scratch);
        fs.files.erase(scratch);
        return found;
    }
    bool save(const std::string& keyId, const std::string& password) {
        ctx.globals().lockUSBKeyId = keyId;
        return SavePassword(ctx, password);
    }
    bool storeLeftovers() const { return fs.has(passIni) || fs.has(store + ".new") || fs.has(passIni + ".new"); }
};

TEST(PasswordStore, SavesAndReplacesEachKeysPassword) {
    StoreWorld w;
    EXPECT_EQ(GetPassword(w.ctx, "KEY1"), "");
    ASSERT_TRUE(w.save("KEY1", "first one"));
    EXPECT_EQ(w.value("Pass1", "Password"), "first one");
    std::shared_ptr<clsBlowfish> shared = w.ctx.blowfishSlot();
    ASSERT_NE(shared, nullptr);
    w.fs.setAttributes(w.store, AttrReadOnly | AttrHidden);   // replaced all the same
    ASSERT_TRUE(w.save("KEY2", "other key"));
    ASSERT_TRUE(w.save("KEY1", "second one"));
    EXPECT_EQ(w.value("PassCnt", "PassCnt"), "2");
    EXPECT_EQ(w.value("Pass1", "PassSerial"), "KEY1");
    EXPECT_EQ(w.value("Pass2", "PassSerial"), "KEY2");
    EXPECT_EQ(w.value("Pass3", "PassSerial"), "<none>");
    EXPECT_EQ(GetPassword(w.ctx, "KEY1"), "second one");
    EXPECT_EQ(GetPassword(w.ctx, "KEY2"), "other key");
    EXPECT_EQ(w.ctx.blowfishSlot(), shared) << "one shared cipher object";
    EXPECT_TRUE(w.messages.shown.empty());
    EXPECT_FALSE(w.storeLeftovers());
}

TEST(PasswordStore, IdentitiesAreTrimmedButCaseSensitive) {
    StoreWorld w;
    w.putStore("[PassCnt]\r\nPassCnt=2\r\n[Pass1]\r\nPassSerial=AbC1  \r\nPassword=spaced\r\n"
               "[Pass2]\r\nPassSerial=XYZ\r\nPassword=other\r\n");
    for (auto [id, found] : {std::pair{"AbC1", "spaced"}, {"  AbC1 ", "spaced"}, {"ABC1", ""}, {"xyz", ""}})
        EXPECT_EQ(GetPassword(w.ctx, id), found) << id;
    ASSERT_TRUE(w.save("AbC1", "new"));      // same key, trailing spaces stored
    EXPECT_EQ(w.value("PassCnt", "PassCnt"), "2");
    ASSERT_TRUE(w.save("abc1", "lower"));    // a different key
    EXPECT_EQ(w.value("PassCnt", "PassCnt"), "3");
    EXPECT_EQ(GetPassword(w.ctx, "AbC1"), "new");
    EXPECT_EQ(GetPassword(w.ctx, "abc1"), "lower");
}

TEST(PasswordStore, CountValues) {
    const std::string entries = "\r\n[Pass1]\r\nPassSerial=A\r\nPassword=first\r\n"
                                "[Pass2]\r\nPassSerial=B\r\nPassword=second\r\n[Pass3]\r\nPassSerial=C\r\nPassword=third\r\n";
    struct Case { const char* count; const char* found; };
    for (const Case& c : {Case{"3", "third"}, Case{" 3 ", "third"}, Case{"0003", "third"}, Case{"2", ""},
                          Case{"abc", ""}, Case{"1 2", ""}, Case{"", ""}, Case{"-3", ""}, Case{"99999", ""}}) {
        StoreWorld w;
        w.putStore(std::string("[PassCnt]\r\nPassCnt=") + c.count + entries);
        EXPECT_EQ(GetPassword(w.ctx, "C"), c.found) << c.count;
        EXPECT_FALSE(w.storeLeftovers()) << c.count;
    }
    // A count that is not a number starts the store over at entry 1.
    StoreWorld w;
    w.putStore("[PassCnt]\r\nPassCnt=x1" + entries);
    ASSERT_TRUE(w.save("D", "fourth"));
    EXPECT_EQ(w.value("PassCnt", "PassCnt"), "1");
    EXPECT_EQ(w.value("Pass1", "PassSerial"), "D");
    EXPECT_EQ(w.value("Pass2", "Password"), "second");
    EXPECT_EQ(GetPassword(w.ctx, "B"), "");
}

TEST(PasswordStore, StalePlainFileIsDeletedFirst) {
    const std::string stale = "[PassCnt]\r\nPassCnt=1\r\n[Pass1]\r\nPassSerial=K\r\nPassword=stale\r\n";
    StoreWorld w;
    w.fs.put(w.passIni, stale);
    EXPECT_EQ(GetPassword(w.ctx, "K"), "");
    EXPECT_EQ(w.fs.log.front(), "remove " + w.passIni);
    w.fs.put(w.passIni, stale);
    ASSERT_TRUE(w.save("NEW", "fresh"));
    EXPECT_EQ(w.value("Pass1", "PassSerial"), "NEW");
    EXPECT_EQ(GetPassword(w.ctx, "K"), "");
    EXPECT_FALSE(w.storeLeftovers());
}

TEST(PasswordStore, WriteFailuresAreReportedAndKeepTheOldStore) {
    StoreWorld w;
    w.fs.failWrites.insert(w.passIni);
    EXPECT_FALSE(w.save("KEY1", "pw"));
    std::vector<std::string> texts;
    for (const char* part : {"PassCnt", "PassSerial", "Password"})
        texts.push_back(Box(kAppTitle, std::string("Failed to write Pass(") + part + ") file."));
    texts.push_back(Box("Error", "Error: Source file is not found"));
    EXPECT_EQ(w.messages.boxes(), texts);
    EXPECT_FALSE(w.fs.has(w.store));
    EXPECT_FALSE(w.storeLeftovers());

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
    struct Case { const char* name; std::function<void(StoreWorld&)> breakIt; const char* error; int answer; };
    for (const Case& c : {Case{"no bf.dat", [](StoreWorld& w) { w.fs.remove(w.path("bf.dat")); }, "Error: bf.dat not found", 0},
                          Case{"damaged store", [](StoreWorld& w) { w.fs.put(w.store, std::string(4, '\xff') + std::string(8, 'x')); },
                               nullptr, IdNo},
                          Case{"damaged store", [](StoreWorld& w) { w.fs.put(w.store, "short", AttrReadOnly); }, nullptr, IdYes},
                          Case{"huge count", [](StoreWorld& w) { w.putStore("[PassCnt]\r\nPassCnt=40000\r\n"); }, nullptr, IdYes}}) {
        StoreWorld w;
        ASSERT_TRUE(w.save("KEY1", "kept"));
        c.breakIt(w);
        w.fs.put(w.store + ".damaged", "an earlier one");
        const std::string before = w.fs.get(w.store);
        EXPECT_EQ(GetPassword(w.ctx, "KEY1"), "") << c.name;
        EXPECT_TRUE(w.messages.shown.empty()) << c.name;
        w.messages.answers = {c.answer};
        EXPECT_EQ(w.save("KEY2", "changed"), c.answer == IdYes) << c.name;
        EXPECT_EQ(w.messages.boxes(), std::vector<std::string>{c.error ? Box("Error", c.error)
                                                                       : test::FakeMessageBoxes::box(kAppTitle, question, MbYesNo | MbIconExclamation)});
        EXPECT_EQ(w.fs.get(w.store + ".damaged"), "an earlier one");
        if (c.answer == IdYes) {
            EXPECT_EQ(w.fs.get(w.store + ".damaged2"), before) << c.name;
            EXPECT_EQ(GetPassword(w.ctx, "KEY2"), "changed") << c.name;
        } else {
            EXPECT_EQ(w.fs.get(w.store), before) << c.name;
        }
        EXPECT_FALSE(w.storeLeftovers()) << c.name;
    }
}

}  // namespace
}  // namespace qv
