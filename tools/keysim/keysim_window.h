// The simulator's small window: the program folder and one button per action.
#pragma once

#include <string>

namespace keysim {

int RunWindow(const std::string& programFolder);

}  // namespace keysim
