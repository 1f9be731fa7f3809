// INI files: the program's own reader and writer. Section and key names match without
// regard to case; spaces around names, "=" and values are stripped.
#pragma once

#include <string>

#include "app/services.h"

namespace qv {

// The value of `key` in `section`, or `defaultValue` when the file, section or key is missing.
std::string ReadIni(const FileSystem& fs, const std::string& section, const std::string& key,
                    const std::string& defaultValue, const std::string& file);
// Writes `key`=`value` into `section`, creating the file and the section as needed.
// Lines are ended with CR LF. False when the file could not be written.
bool WriteIni(FileSystem& fs, const std::string& section, const std::string& key, const std::string& value,
              const std::string& file);

}  // namespace qv
