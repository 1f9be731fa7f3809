#include "usb_serial_export.h"

#include <cstring>

#include "usbkey/usb_instance_id.h"
#include "usbkey/usb_serial_library.h"

namespace kvusb {

void Deliver(VARIANT* result, char* buffer, short* length, short* count, short* status, short code,
             const std::string& text) {
    if (result) {
        result->vt = VT_I2;
        result->iVal = code;
    }
    int records = 0;
    std::string fitted = code == kStatusOk ? qv::FitUsbDeviceText(text, qv::kUsbSerialBufferSize, records) : "";
    std::memcpy(buffer, fitted.data(), fitted.size());
    if (fitted.size() < static_cast<std::size_t>(qv::kUsbSerialBufferSize)) buffer[fitted.size()] = '\0';
    *length = static_cast<short>(fitted.size());
    *count = static_cast<short>(records);
    if (status) *status = code;
}

}  // namespace kvusb

extern "C" __declspec(dllexport) void __stdcall GetUSBSerial(VARIANT* result, char* buffer, short* length,
                                                             short* count, short* status) {
    if (!buffer || !length || !count) {
        if (result) {
            result->vt = VT_I2;
            result->iVal = kStatusBadArguments;
        }
        if (status) *status = kStatusBadArguments;
        return;
    }
    std::string text;
    short code = kStatusEnumerationFailed;
    try {
        code = kvusb::Collect(text);
    } catch (...) {
        // Nothing may escape into the caller; an allocation failure is an ordinary error status.
        code = kStatusEnumerationFailed;
    }
    kvusb::Deliver(result, buffer, length, count, status, code, text);
}
