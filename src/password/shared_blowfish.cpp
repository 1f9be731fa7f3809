#include "password/shared_blowfish.h"

namespace qv {

clsBlowfish& SharedBlowfish(Context& ctx) {
    std::shared_ptr<clsBlowfish>& slot = ctx.blowfishSlot();
    if (!slot) slot = std::make_shared<clsBlowfish>(ctx.services().fs, ctx.globals().programFolder);
    return *slot;
}

}  // namespace qv
