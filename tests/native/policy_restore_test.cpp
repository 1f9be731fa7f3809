#include "lock/policy_restore.h"

#include <gtest/gtest.h>

#include "fakes.h"


namespace qv {
namespace {

constexpr LockDownFeature kKeys = LockDownFeature::SpecialKeys, kTaskMgr = LockDownFeature::TaskManager;

RegValue Dword(char v) { return RegValue{kRegDword, std::string{v, '\0', '\0', '\0'}}; }
// A value as "-" (absent), the number of a DWORD, or "<type>:<byte>.<byte>...".
std::string Text(const std::optional<RegValue>& v) {
    if (!v) return "-";
    if (v->type == kRegDword && v->data.size() == 4) return std::to_string(v->data[0]);
    std::string out = std::to_string(v->type) + ":";
    for (unsigned char c : v->data) out += std::to_string(c) + ".";
    return out;
}

void Put(test::FakeRegistry& reg, const PolicySetting& s, const std::optional<RegValue>& v) {
    if (v) reg.values[reg.path(s.root, s.key, s.name)] = *v;
    else reg.values.erase(reg.path(s.root, s.key, s.name));
}
// DisableTaskMgr, NoLogoff and HideFastUserSwitching, then the originals saved under the user
// and machine-wide: "1 1 1 2+1".
std::string Policies(test::FakeRegistry& reg) {
    std::string out;
    for (auto* s : {&kDisableTaskMgr, &kNoLogoff, &kHideFastUserSwitching})
        out += Text(reg.read(s->root, s->key, s->name)) + " ";
    int saved[2] = {};
    for (auto& [k, v] : reg.values)
        for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine})
            saved[root == RegRoot::LocalMachine] += k.starts_with(reg.path(root, kSavedPolicyKey));
    return out + std::to_string(saved[0]) + "+" + std::to_string(saved[1]);
}

// Every kind of original comes back, however often the lock repeats, after a crash (the next
// start's Task Manager call repairs), and an administrator's own policy is never touched.
TEST(PolicyRestore, OriginalsComeBackAfterRepeatsAndCrashes) {
    for (const auto& original : {std::optional<RegValue>{}, std::optional(Dword(1)), std::optional(Dword(0)),
                                 std::optional(RegValue{1, std::string("1\0", 2)}), std::optional(RegValue{4, ""})}) {
        SCOPED_TRACE(Text(original));
        const std::string back = Text(original) + " " + Text(original) + " " + Text(original) + " 0+0";
        test::FakeRegistry reg;
        for (auto* s : {&kDisableTaskMgr, &kNoLogoff, &kHideFastUserSwitching}) Put(reg, *s, original);
        PolicyLock lock(reg);
        EXPECT_TRUE(lock.switchOff(kKeys) && lock.switchOff(kTaskMgr));
        Put(reg, kDisableTaskMgr, Dword(7));   // someone resets it meanwhile
        EXPECT_TRUE(lock.switchOff(kTaskMgr));   // locks it again, the first original kept
        EXPECT_EQ(Policies(reg), "1 1 1 2+1");
        EXPECT_TRUE(lock.switchOn(kKeys));   // DisableTaskMgr is the Task Manager's too
        EXPECT_EQ(Policies(reg), "1 " + Text(original) + " " + Text(original) + " 1+0");
        PolicyLock(reg).switchOff(kKeys);   // a crash, then a lock resumed before anyone switched on
        EXPECT_TRUE(PolicyLock(reg).switchOn(kTaskMgr));
        EXPECT_EQ(Policies(reg), back);
        Put(reg, kDisableTaskMgr, Dword(1));   // nothing saved: left alone
        EXPECT_TRUE(lock.switchOn(kTaskMgr));
        EXPECT_EQ(Policies(reg), "1 " + back.substr(back.find(' ') + 1));
    }
}

TEST(PolicyRestore, ValuesWithoutRightsAndUntrustedSavedEntries) {
    test::FakeRegistry reg;
    reg.readOnly.insert(std::to_string(0x80000002u));   // the machine root: HideFastUserSwitching without rights
    Put(reg, kHideFastUserSwitching, Dword(0));
    PolicyLock lock(reg);
    EXPECT_FALSE(lock.switchOff(kKeys));
    EXPECT_EQ(Policies(reg), "1 1 0 2+0");
    EXPECT_TRUE(lock.switchOn(kKeys));
    EXPECT_EQ(Policies(reg), "- - 0 0+0");
    lock.switchOff(kTaskMgr);   // a failed restore keeps its entry for the next try
    reg.readOnly.insert(kDisableTaskMgr.key);
    EXPECT_FALSE(lock.switchOn(kTaskMgr));
    EXPECT_EQ(Policies(reg), "1 - 0 1+0");
    reg.readOnly.clear();
    EXPECT_TRUE(lock.switchOn(kTaskMgr));
    EXPECT_EQ(Policies(reg), "- - 0 0+0");

    // Damaged entries, and a user's entry for the machine-wide value, which could name an
    // original of anyone's choice: only the lock's own value 1 is removed.
    struct Case { RegRoot root; const char* name; std::string entry, after; };
    const Case cases[] = {
        {kSavedPolicyRoot, "DisableTaskMgr", "", "- 5 1 0+0"},
        {kSavedPolicyRoot, "DisableTaskMgr", std::string("\x01\x04\x00", 3), "- 5 1 0+0"},
        {RegRoot::CurrentUser, "HideFastUserSwitching", EncodeSavedPolicy(Dword(7)), "1 5 - 0+0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + std::to_string(c.entry.size()));
        test::FakeRegistry damaged;
        damaged.values[damaged.path(c.root, kSavedPolicyKey, c.name)] = {kRegBinary, c.entry};
        // An entry that is not binary is damaged too.
        damaged.values[damaged.path(kSavedPolicyRoot, kSavedPolicyKey, "NoLogoff")] = {kRegDword, "\x01"};
        for (auto* s : {&kDisableTaskMgr, &kHideFastUserSwitching}) Put(damaged, *s, Dword(1));
        Put(damaged, kNoLogoff, Dword(5));   // not the lock's value: left alone
        EXPECT_TRUE(PolicyLock(damaged).switchOn(kTaskMgr));
        EXPECT_EQ(Policies(damaged), c.after);
    }
}

}  // namespace
}  // namespace qv
