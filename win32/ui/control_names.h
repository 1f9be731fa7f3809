// Control names of the design and the resource ids that carry them.
#pragma once

#include <string>

namespace qv::win {

// The id of a named control, or 0 when the name is unknown.
int ControlId(const std::string& name);
// The name of a control id, or the empty text.
const std::string& ControlName(int id);

}  // namespace qv::win
