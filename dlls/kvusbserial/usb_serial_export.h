// The one export both builds of KvUSBSerial.DLL share, and how its answer is handed back.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

// GetUSBSerial's status values besides 1 (success).
enum : short {
    kStatusOk = 1,
    kStatusBadArguments = 2,     // a null buffer, length or count
    kStatusEnumerationFailed = 3,
};

extern "C" __declspec(dllexport) void __stdcall GetUSBSerial(VARIANT* result, char* buffer, short* length,
                                                             short* count, short* status);

namespace kvusb {

// Fills the library's answer: at most the buffer's 3000 characters of `text`, cut after the
// last whole record that fits, the number of records kept, and the status. The result
// VARIANT, when given, receives the status as a 16-bit integer.
void Deliver(VARIANT* result, char* buffer, short* length, short* count, short* status, short code,
             const std::string& text);

// The device text and status this build reports.
short Collect(std::string& text);

}  // namespace kvusb
