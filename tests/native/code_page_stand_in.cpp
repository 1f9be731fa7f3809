// The ANSI code page as the native tests set it (test::ansiCodePage in fakes.h).
#include "app/code_page.h"

namespace qv {

namespace test {
unsigned ansiCodePage = 1252;
}

unsigned AnsiCodePage() { return test::ansiCodePage; }

}  // namespace qv
