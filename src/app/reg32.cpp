#include "app/reg32.h"

namespace qv {

void DeleteRegValue(Context& ctx, RegRoot root, const std::string& key, const std::string& name) {
    ctx.services().registry.deleteValue(root, key, name);
}

bool SetRegString(Context& ctx, RegRoot root, const std::string& key, const std::string& name,
                  const std::string& data) {
    return ctx.services().registry.setString(root, key, name, data);
}

}  // namespace qv
