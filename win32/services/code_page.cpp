#include <windows.h>

#include "app/code_page.h"

unsigned qv::AnsiCodePage() { return GetACP(); }
