// The code page the native tests choose (tests/native/code_page_stand_in.h).
#include "code_page_stand_in.h"

namespace qv {

unsigned test::ansiCodePage = 1252;

unsigned AnsiCodePage() { return test::ansiCodePage; }

}  // namespace qv
