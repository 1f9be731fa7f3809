// The policy values in the real registry.
#pragma once

#include "lock/policy_restore.h"

namespace qvdll {

// A 32-bit library on 64-bit Windows works on the 64-bit view of HKLM\Software, the one the
// system reads its policies from.
class WinPolicyRegistry : public qv::PolicyRegistry {
public:
    std::optional<qv::RegValue> read(qv::RegRoot root, const std::string& key, const std::string& name) override;
    bool write(qv::RegRoot root, const std::string& key, const std::string& name, const qv::RegValue& value) override;
    bool remove(qv::RegRoot root, const std::string& key, const std::string& name) override;
};

}  // namespace qvdll
