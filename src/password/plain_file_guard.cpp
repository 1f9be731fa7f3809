#include "password/plain_file_guard.h"

#include "app/lock_record.h"

namespace qv {

void RemovePlainFile(Context& ctx, const std::string& plainPath) {
    for (const std::string& path : {plainPath, plainPath + ".new"}) {
        std::optional<FileInfo> info = ctx.services().fs.stat(path);
        if (info && !info->isDirectory()) SecureDelete(ctx, path);
    }
}

void RemovePlainLeftovers(Context& ctx) {
    for (const char* name : {"pass.ini", "tmhr.ini"}) RemovePlainFile(ctx, ctx.programPath(name));
}

}  // namespace qv
