// The one cipher object of the process.
#pragma once

#include "app/context.h"
#include "password/blowfish.h"

namespace qv {

// Made on first use over the context's file system and program folder, kept by the
// context. Callers run sInitBF immediately before each file operation.
clsBlowfish& SharedBlowfish(Context& ctx);

}  // namespace qv
