// Registry primitives of the autostart entries.
#pragma once

#include <string>

#include "app/context.h"

namespace qv {

// Deletes one value; a missing key or value is no failure worth telling anyone about.
void DeleteRegValue(Context& ctx, RegRoot root, const std::string& key, const std::string& name);
// Creates or opens the key and writes the value as a string; true when the write succeeded.
bool SetRegString(Context& ctx, RegRoot root, const std::string& key, const std::string& name,
                  const std::string& data);

}  // namespace qv
