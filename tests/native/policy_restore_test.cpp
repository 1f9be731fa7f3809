#include "lock/policy_restore.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

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

struct FakePolicyRegistry : PolicyRegistry {
    std::map<std::tuple<RegRoot, std::string, std::string>, RegValue> values;
    std::set<std::string> readOnlyKeys;   // writes and deletes there fail, as without rights
    bool machineReadOnly = false;

    std::optional<RegValue> read(RegRoot root, const std::string& key, const std::string& name) override {
        auto it = values.find({root, key, name});
        return it == values.end() ? std::nullopt : std::optional<RegValue>(it->second);
    }
    bool write(RegRoot root, const std::string& key, const std::string& name, const RegValue& value) override {
        return writable(root, key) && (values[{root, key, name}] = value, true);
    }
    bool remove(RegRoot root, const std::string& key, const std::string& name) override {
        return writable(root, key) && (values.erase({root, key, name}), true);
    }
    bool writable(RegRoot root, const std::string& key) const {
        return !readOnlyKeys.count(key) && !(machineReadOnly && root == RegRoot::LocalMachine);
    }
    void put(const PolicySetting& s, const std::optional<RegValue>& v) {
        if (v) values[{s.root, s.key, s.name}] = *v;
        else values.erase({s.root, s.key, s.name});
    }
    // DisableTaskMgr, NoLogoff and HideFastUserSwitching, then the originals saved under the
    // user and machine-wide: "1 1 1 2+1".
    std::string policies() {
        std::string out;
        for (auto* s : {&kDisableTaskMgr, &kNoLogoff, &kHideFastUserSwitching})
            out += Text(read(s->root, s->key, s->name)) + " ";
        int saved[2] = {};
        for (auto& [k, v] : values) saved[std::get<0>(k) == RegRoot::LocalMachine] += std::get<1>(k) == kSavedPolicyKey;
        return out + std::to_string(saved[0]) + "+" + std::to_string(saved[1]);
    }
};

// Every kind of original comes back, however often the lock repeats, after a crash (the next
// start's Task Manager call repairs), and an administrator's own policy is never touched.
TEST(PolicyRestore, OriginalsComeBackAfterRepeatsAndCrashes) {
    for (const auto& original : {std::optional<RegValue>{}, std::optional(Dword(1)), std::optional(Dword(0)),
                                 std::optional(RegValue{1, std::string("1\0", 2)}), std::optional(RegValue{4, ""})}) {
        SCOPED_TRACE(Text(original));
        const std::string back = Text(original) + " " + Text(original) + " " + Text(original) + " 0+0";
        FakePolicyRegistry reg;
        for (auto* s : {&kDisableTaskMgr, &kNoLogoff, &kHideFastUserSwitching}) reg.put(*s, original);
        PolicyLock lock(reg);
        EXPECT_TRUE(lock.switchOff(kKeys) && lock.switchOff(kTaskMgr));
        reg.put(kDisableTaskMgr, Dword(7));   // someone resets it meanwhile
        EXPECT_TRUE(lock.switchOff(kTaskMgr));   // locks it again, the first original kept
        EXPECT_EQ(reg.policies(), "1 1 1 2+1");
        EXPECT_TRUE(lock.switchOn(kKeys));   // DisableTaskMgr is the Task Manager's too
        EXPECT_EQ(reg.policies(), "1 " + Text(original) + " " + Text(original) + " 1+0");
        PolicyLock(reg).switchOff(kKeys);   // a crash, then a lock resumed before anyone switched on
        EXPECT_TRUE(PolicyLock(reg).switchOn(kTaskMgr));
        EXPECT_EQ(reg.policies(), back);
        reg.put(kDisableTaskMgr, Dword(1));   // nothing saved: left alone
        EXPECT_TRUE(lock.switchOn(kTaskMgr));
        EXPECT_EQ(reg.policies(), "1 " + back.substr(back.find(' ') + 1));
    }
}

TEST(PolicyRestore, ValuesWithoutRightsAndUntrustedSavedEntries) {
    FakePolicyRegistry reg;
    reg.machineReadOnly = true;   // HideFastUserSwitching without administrator rights
    reg.put(kHideFastUserSwitching, Dword(0));
    PolicyLock lock(reg);
    EXPECT_FALSE(lock.switchOff(kKeys));
    EXPECT_EQ(reg.policies(), "1 1 0 2+0");
    EXPECT_TRUE(lock.switchOn(kKeys));
    EXPECT_EQ(reg.policies(), "- - 0 0+0");
    lock.switchOff(kTaskMgr);   // a failed restore keeps its entry for the next try
    reg.readOnlyKeys.insert(kDisableTaskMgr.key);
    EXPECT_FALSE(lock.switchOn(kTaskMgr));
    EXPECT_EQ(reg.policies(), "1 - 0 1+0");
    reg.readOnlyKeys.clear();
    EXPECT_TRUE(lock.switchOn(kTaskMgr));
    EXPECT_EQ(reg.policies(), "- - 0 0+0");

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
        FakePolicyRegistry damaged;
        damaged.values[{c.root, kSavedPolicyKey, c.name}] = {kRegBinary, c.entry};
        damaged.values[{kSavedPolicyRoot, kSavedPolicyKey, "NoLogoff"}] = {kRegDword, "\x01"};   // not binary
        for (auto* s : {&kDisableTaskMgr, &kHideFastUserSwitching}) damaged.put(*s, Dword(1));
        damaged.put(kNoLogoff, Dword(5));   // not the lock's value: left alone
        EXPECT_TRUE(PolicyLock(damaged).switchOn(kTaskMgr));
        EXPECT_EQ(damaged.policies(), c.after);
    }
}

}  // namespace
}  // namespace qv
