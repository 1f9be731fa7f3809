// The policy values behind the lock-down of the Task Manager and the Ctrl+Alt+Del screen,
// and how they are put back afterwards.
//
// Switching a feature off saves each value's original (whether it existed, its type and
// data) under Software\Vantrel\Quorvel\LockDownSaved of the value's own root before setting
// it to 1: a machine-wide value's original is machine-wide too, out of reach of one user, who
// could otherwise name what the elevated program writes there. The saved entry survives a
// crash: switching on restores the original and deletes the entry, so the start-up call that
// switches the Task Manager on also repairs an interrupted lock. Without a saved entry nothing
// is changed, so an administrator's own policy is never removed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/services.h"

namespace qv {

// The registry operations the policy values need, on raw values of any type.
class PolicyRegistry {
public:
    virtual ~PolicyRegistry() = default;
    virtual std::optional<RegValue> read(RegRoot root, const std::string& key, const std::string& name) = 0;
    // Creates the key when it is missing.
    virtual bool write(RegRoot root, const std::string& key, const std::string& name, const RegValue& value) = 0;
    // True when the value is gone afterwards, also when it never existed.
    virtual bool remove(RegRoot root, const std::string& key, const std::string& name) = 0;
};

constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;

// Where this user's notes are kept while a feature is off, and the key of the originals under
// each value's own root.
inline constexpr RegRoot kSavedPolicyRoot = RegRoot::CurrentUser;
inline constexpr const char* kSavedPolicyKey = "Software\\Vantrel\\Quorvel\\LockDownSaved";

struct PolicySetting {
    RegRoot root;
    const char* key;
    const char* name;   // also the name of its saved entry
};

enum class LockDownFeature : unsigned { SpecialKeys = 1, TaskManager = 2 };

// The values a feature sets to 1 while it is off. DisableTaskMgr belongs to both features.
// DisableLockWorkstation is deliberately absent: locking the workstation must stay possible.
inline constexpr PolicySetting kDisableTaskMgr{RegRoot::CurrentUser,
                                               "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                                               "DisableTaskMgr"};
inline constexpr PolicySetting kNoLogoff{RegRoot::CurrentUser,
                                         "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                                         "NoLogoff"};
inline constexpr PolicySetting kHideFastUserSwitching{
    RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "HideFastUserSwitching"};

// Saved entry contents: one byte 0 (the value did not exist), or one byte 1, the type as four
// little-endian bytes and the old data. Nothing when the entry is damaged.
std::string EncodeSavedPolicy(const std::optional<RegValue>& original);
std::optional<std::optional<RegValue>> DecodeSavedPolicy(const RegValue& saved);

class PolicyLock {
public:
    explicit PolicyLock(PolicyRegistry& registry) : registry_(registry) {}

    // Sets the feature's values to 1, saving each original first unless a saved entry exists
    // already (a repeated call or a lock interrupted earlier keeps the first original). A value
    // whose original cannot be saved is left untouched. False when any value stayed unlocked
    // (HideFastUserSwitching needs administrator rights).
    bool switchOff(LockDownFeature feature);
    // Releases the feature's values, then restores every saved value that no feature of this
    // process still holds off, leftovers of an interrupted lock included. False when a saved
    // value could not be restored; its entry is kept for the next try.
    bool switchOn(LockDownFeature feature);

private:
    bool lock(std::size_t index);
    bool restore(std::size_t index);

    PolicyRegistry& registry_;
    // Per value, the features of this process that hold it off.
    std::array<unsigned, 3> holders_{};
};

}  // namespace qv
