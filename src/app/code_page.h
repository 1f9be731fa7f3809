// The ANSI code page the program's texts are in, and where its characters begin and end.
#pragma once

#include <cstddef>

namespace qv {

// 1252, 936, 950, ...: the system's answer in the program (win32/services/code_page.cpp);
// the native tests link a stand-in they can set.
unsigned AnsiCodePage();

// Bytes of the ANSI character that starts with `lead`: 2 for the lead bytes of the
// double-byte code pages (932, 936, 949, 950), else 1.
std::size_t AnsiCharLength(unsigned codePage, unsigned char lead);

}  // namespace qv
