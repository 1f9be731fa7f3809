#include "lock/policy_restore.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

namespace {

using qv::LockDownFeature;
using qv::PolicySetting;
using qv::RegRoot;
using qv::RegValue;
constexpr LockDownFeature kKeys = LockDownFeature::SpecialKeys, kTaskMgr = LockDownFeature::TaskManager;

// Values as text, so comparisons print readably: "absent" or "<type>:<hex bytes>".
std::string Text(const std::optional<RegValue>& v) {
    if (!v) return "absent";
    std::string out = std::to_string(v->type) + ":";
    for (unsigned char c : v->data) (out += "0123456789abcdef"[c >> 4]) += "0123456789abcdef"[c & 15];
    return out;
}
RegValue Dword(std::uint32_t v) {
    std::string d;
    for (int i = 0; i < 4; ++i) d += static_cast<char>((v >> (8 * i)) & 0xFF);
    return RegValue{qv::kRegDword, d};
}
const std::string One = Text(Dword(1)), Zero = Text(Dword(0)), Absent = "absent";
using Texts = std::vector<std::string>;

class FakePolicyRegistry : public qv::PolicyRegistry {
public:
    using Key = std::tuple<RegRoot, std::string, std::string>;
    std::map<Key, RegValue> values;
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
    // DisableTaskMgr, NoLogoff, HideFastUserSwitching.
    Texts policies() {
        Texts out;
        for (auto* s : {&qv::kDisableTaskMgr, &qv::kNoLogoff, &qv::kHideFastUserSwitching})
            out.push_back(Text(read(s->root, s->key, s->name)));
        return out;
    }
    std::size_t savedCount() const {
        std::size_t n = 0;
        for (auto& [k, v] : values) n += std::get<1>(k) == qv::kSavedPolicyKey;
        return n;
    }
};

TEST(PolicyRestore, OffOnRoundTripRestoresEveryKindOfOriginal) {
    const std::optional<RegValue> originals[] = {std::nullopt, Dword(1), Dword(0),
                                                 RegValue{1, std::string("1\0", 2)}, RegValue{4, ""}};
    for (const auto& original : originals) {
        SCOPED_TRACE(Text(original));
        FakePolicyRegistry reg;
        if (original)
            for (auto* s : {&qv::kDisableTaskMgr, &qv::kNoLogoff, &qv::kHideFastUserSwitching}) reg.put(*s, *original);
        qv::PolicyLock lock(reg);
        EXPECT_TRUE(lock.switchOff(kKeys) && lock.switchOff(kTaskMgr));
        EXPECT_EQ(reg.policies(), (Texts{One, One, One}));
        EXPECT_EQ(reg.savedCount(), 3u);
        EXPECT_TRUE(lock.switchOn(kKeys) && lock.switchOn(kTaskMgr));
        EXPECT_EQ(reg.policies(), Texts(3, Text(original)));
        EXPECT_EQ(reg.savedCount(), 0u);
    }
}

TEST(PolicyRestore, RepeatedOffKeepsTheFirstOriginalAndOnWithoutOffChangesNothing) {
    FakePolicyRegistry reg;
    reg.put(qv::kDisableTaskMgr, Dword(0));
    qv::PolicyLock lock(reg);
    lock.switchOff(kTaskMgr);
    lock.switchOff(kTaskMgr);
    lock.switchOff(kKeys);                    // shares DisableTaskMgr
    reg.put(qv::kDisableTaskMgr, Dword(7));   // someone resets it meanwhile
    lock.switchOff(kTaskMgr);                 // locks it again, original kept
    EXPECT_EQ(reg.policies()[0], One);
    lock.switchOn(kKeys);
    EXPECT_EQ(reg.policies(), (Texts{One, Absent, Absent})) << "the Task Manager is still off";
    lock.switchOn(kTaskMgr);
    EXPECT_EQ(reg.policies(), (Texts{Zero, Absent, Absent}));
    // An administrator's own policy, with nothing saved, is never touched.
    reg.put(qv::kDisableTaskMgr, Dword(1));
    reg.put(qv::kNoLogoff, Dword(0));
    EXPECT_TRUE(lock.switchOn(kTaskMgr));
    EXPECT_TRUE(qv::PolicyLock(reg).switchOn(kKeys));
    EXPECT_EQ(reg.policies(), (Texts{One, Zero, Absent}));
}

TEST(PolicyRestore, StartUpRepairsALockInterruptedByACrash) {
    FakePolicyRegistry reg;
    reg.put(qv::kDisableTaskMgr, Dword(0));
    qv::PolicyLock crashed(reg);
    crashed.switchOff(kKeys);
    crashed.switchOff(kTaskMgr);
    qv::PolicyLock(reg).switchOff(kKeys);   // resumed before anyone switched on: the true original stays
    // Next start: only the Task Manager call is made; it puts back every leftover.
    EXPECT_TRUE(qv::PolicyLock(reg).switchOn(kTaskMgr));
    EXPECT_EQ(reg.policies(), (Texts{Zero, Absent, Absent}));
    EXPECT_EQ(reg.savedCount(), 0u);
}

TEST(PolicyRestore, ValuesThatCannotBeWrittenOrSaved) {
    FakePolicyRegistry reg;
    reg.readOnlyRoots.insert(RegRoot::LocalMachine);   // HideFastUserSwitching without rights
    reg.put(qv::kHideFastUserSwitching, Dword(0));
    qv::PolicyLock lock(reg);
    EXPECT_FALSE(lock.switchOff(kKeys));
    EXPECT_EQ(reg.policies(), (Texts{One, One, Zero}));
    EXPECT_EQ(reg.savedCount(), 2u);
    EXPECT_TRUE(lock.switchOn(kKeys));
    EXPECT_EQ(reg.policies(), (Texts{Absent, Absent, Zero}));
    EXPECT_EQ(reg.savedCount(), 0u);

    FakePolicyRegistry failing;   // a failed restore keeps its entry for the next try
    qv::PolicyLock again(failing);
    again.switchOff(kTaskMgr);
    failing.readOnlyKeys.insert(qv::kDisableTaskMgr.key);
    EXPECT_FALSE(again.switchOn(kTaskMgr));
    EXPECT_EQ(failing.savedCount(), 1u);
    failing.readOnlyKeys.clear();
    EXPECT_TRUE(again.switchOn(kTaskMgr));
    EXPECT_EQ(failing.policies()[0], Absent);
    EXPECT_EQ(failing.savedCount(), 0u);
}

TEST(PolicyRestore, MachineWideOriginalIsKeptMachineWideAndAUsersEntryForItIsNotTrusted) {
    FakePolicyRegistry reg;
    reg.put(qv::kHideFastUserSwitching, Dword(0));
    qv::PolicyLock lock(reg);
    lock.switchOff(kKeys);
    EXPECT_TRUE(reg.read(RegRoot::LocalMachine, qv::kSavedPolicyKey, "HideFastUserSwitching"));
    EXPECT_FALSE(reg.read(RegRoot::CurrentUser, qv::kSavedPolicyKey, "HideFastUserSwitching"));

    FakePolicyRegistry planted;   // a user's entry naming an original of its own choice
    planted.values[{RegRoot::CurrentUser, qv::kSavedPolicyKey, "HideFastUserSwitching"}] =
        RegValue{qv::kRegBinary, qv::EncodeSavedPolicy(Dword(7))};
    planted.put(qv::kHideFastUserSwitching, Dword(1));
    EXPECT_TRUE(qv::PolicyLock(planted).switchOn(kTaskMgr));
    EXPECT_EQ(planted.policies()[2], Absent);
    EXPECT_EQ(planted.savedCount(), 0u);
}

TEST(PolicyRestore, DamagedSavedEntriesRemoveOnlyTheLocksOwnValue) {
    for (const std::string& data : {std::string(), std::string("\x01\x04\x00", 3)}) {
        FakePolicyRegistry reg;
        reg.values[{qv::kSavedPolicyRoot, qv::kSavedPolicyKey, "DisableTaskMgr"}] = RegValue{qv::kRegBinary, data};
        reg.values[{qv::kSavedPolicyRoot, qv::kSavedPolicyKey, "NoLogoff"}] = RegValue{qv::kRegDword, "\x01"};
        reg.put(qv::kDisableTaskMgr, Dword(1));
        reg.put(qv::kNoLogoff, Dword(5));
        EXPECT_TRUE(qv::PolicyLock(reg).switchOn(kTaskMgr)) << Text(RegValue{0, data});
        EXPECT_EQ(reg.policies(), (Texts{Absent, Text(Dword(5)), Absent})) << Text(RegValue{0, data});
        EXPECT_EQ(reg.savedCount(), 0u);
    }
}

}  // namespace
