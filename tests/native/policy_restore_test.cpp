#include "lock/policy_restore.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

namespace {

using qv::LockDownFeature;
using qv::PolicyLock;
using qv::PolicySetting;
using qv::RegRoot;
using qv::RegValue;

class FakePolicyRegistry : public qv::PolicyRegistry {
public:
    using Key = std::tuple<RegRoot, std::string, std::string>;
    std::map<Key, RegValue> values;
    // Writes and deletes there fail, as without rights.
    std::set<std::string> readOnlyKeys;
    std::set<RegRoot> readOnlyRoots;

    std::optional<RegValue> read(RegRoot root, const std::string& key, const std::string& name) override {
        auto it = values.find({root, key, name});
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool write(RegRoot root, const std::string& key, const std::string& name, const RegValue& value) override {
        if (readOnlyKeys.count(key) || readOnlyRoots.count(root)) return false;
        values[{root, key, name}] = value;
        return true;
    }
    bool remove(RegRoot root, const std::string& key, const std::string& name) override {
        if (readOnlyKeys.count(key) || readOnlyRoots.count(root)) return false;
        values.erase({root, key, name});
        return true;
    }

    std::optional<RegValue> get(const PolicySetting& s) { return read(s.root, s.key, s.name); }
    void put(const PolicySetting& s, RegValue v) { values[{s.root, s.key, s.name}] = std::move(v); }
    std::size_t savedCount() const {
        std::size_t n = 0;
        for (auto& [k, v] : values) n += std::get<1>(k) == qv::kSavedPolicyKey;
        return n;
    }
};

RegValue Dword(std::uint32_t v) {
    std::string d;
    for (int i = 0; i < 4; ++i) d += static_cast<char>((v >> (8 * i)) & 0xFF);
    return RegValue{qv::kRegDword, d};
}
const RegValue kOne = Dword(1);

// Values as text, so comparisons print readably: "absent" or "<type>:<hex bytes>".
std::string Text(const std::optional<RegValue>& v) {
    if (!v) return "absent";
    std::string out = std::to_string(v->type) + ":";
    for (unsigned char c : v->data) {
        out += "0123456789abcdef"[c >> 4];
        out += "0123456789abcdef"[c & 15];
    }
    return out;
}

const PolicySetting* const kAll[] = {&qv::kDisableTaskMgr, &qv::kNoLogoff, &qv::kHideFastUserSwitching};

TEST(PolicyRestore, OffOnRoundTripRestoresEveryKindOfOriginal) {
    const std::optional<RegValue> originals[] = {
        std::nullopt, Dword(1), Dword(0), RegValue{1, std::string("1\0", 2)}, RegValue{4, ""}};
    for (std::size_t c = 0; c < std::size(originals); ++c) {
        FakePolicyRegistry reg;
        for (auto* s : kAll)
            if (originals[c]) reg.put(*s, *originals[c]);
        PolicyLock lock(reg);
        EXPECT_TRUE(lock.switchOff(LockDownFeature::SpecialKeys)) << c;
        EXPECT_TRUE(lock.switchOff(LockDownFeature::TaskManager)) << c;
        for (auto* s : kAll) EXPECT_EQ(Text(reg.get(*s)), Text(kOne)) << c << " " << s->name;
        EXPECT_EQ(reg.savedCount(), 3u) << c;

        EXPECT_TRUE(lock.switchOn(LockDownFeature::SpecialKeys)) << c;
        EXPECT_TRUE(lock.switchOn(LockDownFeature::TaskManager)) << c;
        for (auto* s : kAll) EXPECT_EQ(Text(reg.get(*s)), Text(originals[c])) << c << " " << s->name;
        EXPECT_EQ(reg.savedCount(), 0u) << c;
    }
}

TEST(PolicyRestore, RepeatedOffKeepsTheFirstOriginal) {
    FakePolicyRegistry reg;
    reg.put(qv::kDisableTaskMgr, Dword(0));
    PolicyLock lock(reg);
    lock.switchOff(LockDownFeature::TaskManager);
    lock.switchOff(LockDownFeature::TaskManager);
    lock.switchOff(LockDownFeature::SpecialKeys);   // shares DisableTaskMgr
    reg.put(qv::kDisableTaskMgr, Dword(7));          // someone resets it meanwhile
    lock.switchOff(LockDownFeature::TaskManager);    // locks it again, original kept
    EXPECT_EQ(Text(reg.get(qv::kDisableTaskMgr)), Text(kOne));
    lock.switchOn(LockDownFeature::SpecialKeys);
    lock.switchOn(LockDownFeature::TaskManager);
    EXPECT_EQ(Text(reg.get(qv::kDisableTaskMgr)), Text(Dword(0)));
    // Repeated on calls find nothing saved and change nothing.
    reg.put(qv::kDisableTaskMgr, Dword(1));
    lock.switchOn(LockDownFeature::TaskManager);
    EXPECT_EQ(Text(reg.get(qv::kDisableTaskMgr)), Text(kOne));
}

TEST(PolicyRestore, OnWithoutOffNeverTouchesAnAdministratorsPolicy) {
    FakePolicyRegistry reg;
    reg.put(qv::kDisableTaskMgr, kOne);
    reg.put(qv::kNoLogoff, Dword(0));
    auto snapshot = [&] {
        std::map<FakePolicyRegistry::Key, std::string> out;
        for (auto& [k, v] : reg.values) out[k] = Text(v);
        return out;
    };
    auto before = snapshot();
    PolicyLock lock(reg);
    EXPECT_TRUE(lock.switchOn(LockDownFeature::TaskManager));
    EXPECT_TRUE(lock.switchOn(LockDownFeature::SpecialKeys));
    EXPECT_EQ(snapshot(), before);
}

TEST(PolicyRestore, ATaskManagerStillOffKeepsTheSharedValue) {
    FakePolicyRegistry reg;
    PolicyLock lock(reg);
    lock.switchOff(LockDownFeature::SpecialKeys);
    lock.switchOff(LockDownFeature::TaskManager);
    lock.switchOn(LockDownFeature::SpecialKeys);
    EXPECT_EQ(Text(reg.get(qv::kDisableTaskMgr)), Text(kOne));
    EXPECT_FALSE(reg.get(qv::kNoLogoff));
    EXPECT_FALSE(reg.get(qv::kHideFastUserSwitching));
    lock.switchOn(LockDownFeature::TaskManager);
    EXPECT_FALSE(reg.get(qv::kDisableTaskMgr));
}

TEST(PolicyRestore, StartUpRepairsALockInterruptedByACrash) {
    FakePolicyRegistry reg;
    reg.put(qv::kDisableTaskMgr, Dword(0));
    {
        PolicyLock crashed(reg);
        crashed.switchOff(LockDownFeature::SpecialKeys);
        crashed.switchOff(LockDownFeature::TaskManager);
    }
    // The resumed lock switches off again before anyone switched on: the true original stays.
    {
        PolicyLock resumed(reg);
        resumed.switchOff(LockDownFeature::SpecialKeys);
    }
    // Next start: only the Task Manager call is made; it puts back every leftover.
    PolicyLock restarted(reg);
    EXPECT_TRUE(restarted.switchOn(LockDownFeature::TaskManager));
    EXPECT_EQ(Text(reg.get(qv::kDisableTaskMgr)), Text(Dword(0)));
    EXPECT_FALSE(reg.get(qv::kNoLogoff));
    EXPECT_FALSE(reg.get(qv::kHideFastUserSwitching));
    EXPECT_EQ(reg.savedCount(), 0u);
}

TEST(PolicyRestore, AValueThatCannotBeWrittenIsNeitherSavedNorRestored) {
    FakePolicyRegistry reg;
    reg.readOnlyRoots.insert(RegRoot::LocalMachine);   // HideFastUserSwitching without rights
    reg.put(qv::kHideFastUserSwitching, Dword(0));
    PolicyLock lock(reg);
    EXPECT_FALSE(lock.switchOff(LockDownFeature::SpecialKeys));
    EXPECT_EQ(Text(reg.get(qv::kDisableTaskMgr)), Text(kOne));
    EXPECT_EQ(Text(reg.get(qv::kNoLogoff)), Text(kOne));
    EXPECT_EQ(Text(reg.get(qv::kHideFastUserSwitching)), Text(Dword(0)));
    EXPECT_EQ(reg.savedCount(), 2u);
    EXPECT_TRUE(lock.switchOn(LockDownFeature::SpecialKeys));
    EXPECT_EQ(reg.savedCount(), 0u);
    EXPECT_FALSE(reg.get(qv::kDisableTaskMgr));
    EXPECT_EQ(Text(reg.get(qv::kHideFastUserSwitching)), Text(Dword(0)));
}

TEST(PolicyRestore, NoPlaceForTheOriginalMeansNoChange) {
    FakePolicyRegistry reg;
    reg.readOnlyKeys.insert(qv::kSavedPolicyKey);
    PolicyLock lock(reg);
    EXPECT_FALSE(lock.switchOff(LockDownFeature::TaskManager));
    EXPECT_FALSE(reg.get(qv::kDisableTaskMgr));
}

TEST(PolicyRestore, DamagedSavedEntriesRemoveOnlyTheLocksOwnValue) {
    const std::string damaged[] = {"", std::string("\x02", 1), std::string("\x01\x04\x00", 3),
                                   std::string("\x00\x01", 2)};
    for (const std::string& data : damaged) {
        FakePolicyRegistry reg;
        reg.values[{qv::kSavedPolicyRoot, qv::kSavedPolicyKey, "DisableTaskMgr"}] = RegValue{qv::kRegBinary, data};
        reg.values[{qv::kSavedPolicyRoot, qv::kSavedPolicyKey, "NoLogoff"}] = RegValue{qv::kRegDword, "\x01"};
        reg.put(qv::kDisableTaskMgr, kOne);
        reg.put(qv::kNoLogoff, Dword(5));
        PolicyLock lock(reg);
        EXPECT_TRUE(lock.switchOn(LockDownFeature::TaskManager));
        EXPECT_FALSE(reg.get(qv::kDisableTaskMgr));
        EXPECT_EQ(Text(reg.get(qv::kNoLogoff)), Text(Dword(5)));
        EXPECT_EQ(reg.savedCount(), 0u);
    }
}

TEST(PolicyRestore, AFailedRestoreKeepsItsEntryForTheNextTry) {
    FakePolicyRegistry reg;
    PolicyLock lock(reg);
    lock.switchOff(LockDownFeature::TaskManager);
    reg.readOnlyKeys.insert(qv::kDisableTaskMgr.key);
    EXPECT_FALSE(lock.switchOn(LockDownFeature::TaskManager));
    EXPECT_EQ(reg.savedCount(), 1u);
    reg.readOnlyKeys.clear();
    EXPECT_TRUE(lock.switchOn(LockDownFeature::TaskManager));
    EXPECT_FALSE(reg.get(qv::kDisableTaskMgr));
    EXPECT_EQ(reg.savedCount(), 0u);
}

}  // namespace
