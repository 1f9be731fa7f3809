#include "lock/policy_restore.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

namespace {

using namespace qv;
constexpr LockDownFeature kKeys = LockDownFeature::SpecialKeys, kTaskMgr = LockDownFeature::TaskManager;

// Values as text, so comparisons print readably: "absent" or "<type>:<byte>.<byte>...".
std::string Text(const std::optional<RegValue>& v) {
    if (!v) return "absent";
    std::string out = std::to_string(v->type) + ":";
    for (unsigned char c : v->data) out += std::to_string(c) + ".";
    return out;
}
RegValue Dword(char v) { return RegValue{kRegDword, std::string{v, '\0', '\0', '\0'}}; }
const std::string One = Text(Dword(1)), Zero = Text(Dword(0)), Absent = "absent";
using Texts = std::vector<std::string>;

struct FakePolicyRegistry : qv::PolicyRegistry {
    std::map<std::tuple<RegRoot, std::string, std::string>, RegValue> values;
    std::set<std::string> readOnlyKeys;   // writes and deletes there fail, as without rights
    std::set<RegRoot> readOnlyRoots;

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
        return !readOnlyKeys.count(key) && !readOnlyRoots.count(root);
    }
    void put(const PolicySetting& s, RegValue v) { values[{s.root, s.key, s.name}] = std::move(v); }
    // DisableTaskMgr, NoLogoff, HideFastUserSwitching, and how many originals are saved where.
    Texts policies() {
        Texts out;
        for (auto* s : {&kDisableTaskMgr, &kNoLogoff, &kHideFastUserSwitching})
            out.push_back(Text(read(s->root, s->key, s->name)));
        int saved[2] = {};   // under the user, machine-wide
        for (auto& [k, v] : values)
            saved[std::get<0>(k) == RegRoot::LocalMachine] += std::get<1>(k) == kSavedPolicyKey;
        out.push_back(std::to_string(saved[0]) + "+" + std::to_string(saved[1]) + " saved");
        return out;
    }
};

TEST(PolicyRestore, OffOnRoundTripRestoresEveryKindOfOriginal) {
    const std::optional<RegValue> originals[] = {std::nullopt, Dword(1), Dword(0),
                                                 RegValue{1, std::string("1\0", 2)}, RegValue{4, ""}};
    for (const auto& original : originals) {
        SCOPED_TRACE(Text(original));
        FakePolicyRegistry reg;
        if (original)
            for (auto* s : {&kDisableTaskMgr, &kNoLogoff, &kHideFastUserSwitching}) reg.put(*s, *original);
        PolicyLock lock(reg);
        EXPECT_TRUE(lock.switchOff(kKeys) && lock.switchOff(kTaskMgr));
        EXPECT_EQ(reg.policies(), (Texts{One, One, One, "2+1 saved"}));
        EXPECT_TRUE(lock.switchOn(kKeys) && lock.switchOn(kTaskMgr));
        EXPECT_EQ(reg.policies(), (Texts{Text(original), Text(original), Text(original), "0+0 saved"}));
    }
}

TEST(PolicyRestore, RepeatedOrInterruptedLocksKeepTheFirstOriginalAndNothingUnsavedIsTouched) {
    FakePolicyRegistry reg;
    reg.put(kDisableTaskMgr, Dword(0));
    PolicyLock lock(reg);
    lock.switchOff(kTaskMgr);
    lock.switchOff(kKeys);                // shares DisableTaskMgr
    reg.put(kDisableTaskMgr, Dword(7));   // someone resets it meanwhile
    lock.switchOff(kTaskMgr);             // locks it again, original kept
    lock.switchOn(kKeys);
    EXPECT_EQ(reg.policies(), (Texts{One, Absent, Absent, "1+0 saved"})) << "the Task Manager is still off";
    PolicyLock(reg).switchOff(kKeys);   // a crash, then a lock resumed before anyone switched on
    // Next start: only the Task Manager call is made; it puts back every leftover.
    EXPECT_TRUE(PolicyLock(reg).switchOn(kTaskMgr));
    EXPECT_EQ(reg.policies(), (Texts{Zero, Absent, Absent, "0+0 saved"}));
    // An administrator's own policy, with nothing saved, is never touched.
    reg.put(kDisableTaskMgr, Dword(1));
    reg.put(kNoLogoff, Dword(0));
    EXPECT_TRUE(lock.switchOn(kTaskMgr));
    EXPECT_EQ(reg.policies(), (Texts{One, Zero, Absent, "0+0 saved"}));
}

TEST(PolicyRestore, ValuesThatCannotBeWrittenOrSaved) {
    FakePolicyRegistry reg;
    reg.readOnlyRoots.insert(RegRoot::LocalMachine);   // HideFastUserSwitching without rights
    reg.put(kHideFastUserSwitching, Dword(0));
    PolicyLock lock(reg);
    EXPECT_FALSE(lock.switchOff(kKeys));
    EXPECT_EQ(reg.policies(), (Texts{One, One, Zero, "2+0 saved"}));
    EXPECT_TRUE(lock.switchOn(kKeys));
    EXPECT_EQ(reg.policies(), (Texts{Absent, Absent, Zero, "0+0 saved"}));

    lock.switchOff(kTaskMgr);   // a failed restore keeps its entry for the next try
    reg.readOnlyKeys.insert(kDisableTaskMgr.key);
    EXPECT_FALSE(lock.switchOn(kTaskMgr));
    EXPECT_EQ(reg.policies(), (Texts{One, Absent, Zero, "1+0 saved"}));
    reg.readOnlyKeys.clear();
    EXPECT_TRUE(lock.switchOn(kTaskMgr));
    EXPECT_EQ(reg.policies(), (Texts{Absent, Absent, Zero, "0+0 saved"}));
}

TEST(PolicyRestore, DamagedOrUntrustedSavedEntriesRemoveOnlyTheLocksOwnValue) {
    // A user's entry for the machine-wide value may name an original of anyone's choice: it is not trusted.
    struct Case { RegRoot root; const char* name; std::string entry; Texts after; };
    const Texts taskManagerBack{Absent, "4:5.0.0.0.", One, "0+0 saved"};
    const Case cases[] = {
        {kSavedPolicyRoot, "DisableTaskMgr", "", taskManagerBack},
        {kSavedPolicyRoot, "DisableTaskMgr", std::string("\x01\x04\x00", 3), taskManagerBack},
        {RegRoot::CurrentUser, "HideFastUserSwitching", EncodeSavedPolicy(Dword(7)),
         {One, "4:5.0.0.0.", Absent, "0+0 saved"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + std::to_string(c.entry.size()));
        FakePolicyRegistry reg;
        reg.values[{c.root, kSavedPolicyKey, c.name}] = {kRegBinary, c.entry};
        reg.values[{kSavedPolicyRoot, kSavedPolicyKey, "NoLogoff"}] = {kRegDword, "\x01"};   // not binary
        for (auto* s : {&kDisableTaskMgr, &kHideFastUserSwitching}) reg.put(*s, Dword(1));
        reg.put(kNoLogoff, Dword(5));   // not the lock's value: left alone
        EXPECT_TRUE(PolicyLock(reg).switchOn(kTaskMgr));
        EXPECT_EQ(reg.policies(), c.after);
    }
}

}  // namespace
