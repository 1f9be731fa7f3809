// Errors of the file cipher. Callers catch them, with every other program error, as AppError.
#pragma once

#include <cstdint>

#include "app/app_error.h"

namespace qv {

enum : std::uint32_t {
    kBfErrNotInitialised = 0x80040d49,    // "Call sInitBF before calling this sub"
    kBfErrSourceNotFound = 0x80040d4a,    // "Source file is not found"
    kBfErrBoxFileNotFound = 0x80040d4b,   // "bf.dat not found"
    kBfErrBoxFileDamaged = 0x80040d4c,    // box file too short
    kBfErrFileDamaged = 0x80040d4d,       // enciphered file with an impossible length
    kBfErrSourceSize = 0x80040d4e,        // nothing to encipher, or too much for the length field
    kBfErrEmptyKey = 0x80040d4f,
    kBfErrFileAccess = 0x80040d50,        // a file could not be read or written
    kBfErrBoxTable = 0x80040d51,          // the table of initial words is malformed
};

class BlowfishError : public AppError {
public:
    using AppError::AppError;
};

}  // namespace qv
