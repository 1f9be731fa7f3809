#include "lock/policy_restore.h"

#include <array>

namespace qv {

namespace {

struct PolicyUse {
    const PolicySetting* setting;
    unsigned features;   // LockDownFeature bits that switch it off
};

constexpr unsigned Bit(LockDownFeature f) { return static_cast<unsigned>(f); }

const std::array<PolicyUse, 3> kPolicies = {{
    {&kDisableTaskMgr, Bit(LockDownFeature::SpecialKeys) | Bit(LockDownFeature::TaskManager)},
    {&kNoLogoff, Bit(LockDownFeature::SpecialKeys)},
    {&kHideFastUserSwitching, Bit(LockDownFeature::SpecialKeys)},
}};

const RegValue kLockedValue{kRegDword, std::string("\x01\x00\x00\x00", 4)};

bool SameValue(const std::optional<RegValue>& a, const RegValue& b) {
    return a && a->type == b.type && a->data == b.data;
}

}  // namespace

std::string EncodeSavedPolicy(const std::optional<RegValue>& original) {
    if (!original) return std::string(1, '\0');
    std::string out(1, '\x01');
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((original->type >> shift) & 0xFF);
    return out + original->data;
}

std::optional<std::optional<RegValue>> DecodeSavedPolicy(const RegValue& saved) {
    const std::string& d = saved.data;
    if (saved.type != kRegBinary || d.empty()) return std::nullopt;
    if (d[0] == '\0') {
        if (d.size() != 1) return std::nullopt;
        return std::optional<RegValue>{};
    }
    if (d[0] != '\x01' || d.size() < 5) return std::nullopt;
    RegValue original;
    for (int i = 0; i < 4; ++i) original.type |= std::uint32_t{static_cast<unsigned char>(d[1 + i])} << (8 * i);
    original.data = d.substr(5);
    return std::optional<RegValue>{original};
}

bool PolicyLock::switchOff(LockDownFeature feature) {
    bool ok = true;
    for (std::size_t i = 0; i < kPolicies.size(); ++i) {
        if (!(kPolicies[i].features & Bit(feature))) continue;
        holders_[i] |= Bit(feature);
        if (!lock(i)) ok = false;
    }
    return ok;
}

bool PolicyLock::switchOn(LockDownFeature feature) {
    for (std::size_t i = 0; i < kPolicies.size(); ++i) holders_[i] &= ~Bit(feature);
    bool ok = true;
    for (std::size_t i = 0; i < kPolicies.size(); ++i) {
        if (holders_[i] == 0 && !restore(i)) ok = false;
    }
    return ok;
}

bool PolicyLock::lock(std::size_t index) {
    const PolicySetting& s = *kPolicies[index].setting;
    bool savedNow = false;
    if (!registry_.read(s.root, kSavedPolicyKey, s.name)) {
        // Without its original safely stored a value is not touched: it could never be put back.
        RegValue saved{kRegBinary, EncodeSavedPolicy(registry_.read(s.root, s.key, s.name))};
        if (!registry_.write(s.root, kSavedPolicyKey, s.name, saved)) return false;
        savedNow = true;
    }
    if (registry_.write(s.root, s.key, s.name, kLockedValue)) return true;
    // Nothing changed (no rights for this key): an entry saved just now would only mislead.
    if (savedNow) registry_.remove(s.root, kSavedPolicyKey, s.name);
    return false;
}

bool PolicyLock::restore(std::size_t index) {
    const PolicySetting& s = *kPolicies[index].setting;
    RegRoot savedRoot = s.root;
    std::optional<RegValue> saved = registry_.read(savedRoot, kSavedPolicyKey, s.name);
    // Earlier versions kept every original under the user; for a machine-wide value such an
    // entry may be anyone's words and is not trusted, only taken as a sign of the lock's value.
    const bool userEntryOfMachineValue = !saved && s.root != kSavedPolicyRoot;
    if (userEntryOfMachineValue) {
        savedRoot = kSavedPolicyRoot;
        saved = registry_.read(savedRoot, kSavedPolicyKey, s.name);
    }
    if (!saved) return true;
    std::optional<std::optional<RegValue>> original =
        userEntryOfMachineValue ? std::nullopt : DecodeSavedPolicy(*saved);
    bool restored;
    if (!original) {
        // A damaged or untrusted entry does not tell the original. It exists only because the lock set the
        // value to 1, and the value's absence is the system's default: remove the lock's value,
        // but leave anything else that is there now.
        std::optional<RegValue> now = registry_.read(s.root, s.key, s.name);
        restored = !SameValue(now, kLockedValue) || registry_.remove(s.root, s.key, s.name);
    } else if (*original) {
        restored = registry_.write(s.root, s.key, s.name, **original);
    } else {
        restored = registry_.remove(s.root, s.key, s.name);
    }
    if (!restored) return false;
    return registry_.remove(savedRoot, kSavedPolicyKey, s.name);
}

}  // namespace qv
