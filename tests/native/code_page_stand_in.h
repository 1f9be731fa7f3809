// The ANSI code page as the native tests set it; 1252 unless a test chooses another.
#pragma once

#include "app/code_page.h"

namespace qv::test {
extern unsigned ansiCodePage;
}  // namespace qv::test
