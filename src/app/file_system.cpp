#include "app/services.h"

namespace qv {

bool ListingFinds(const FileSystem& fs, const std::string& path, unsigned mask) {
    auto info = fs.stat(path);
    if (!info) return false;
    for (unsigned bit : {AttrHidden, AttrSystem, AttrDirectory}) {
        if ((info->attributes & bit) && !(mask & bit)) return false;
    }
    return true;
}

bool Exists(const FileSystem& fs, const std::string& path) { return fs.stat(path).has_value(); }

}  // namespace qv
