// The USB serial library: lists the attached USB storage devices.
#pragma once

#include <cstdint>

namespace qv {

constexpr int kUsbSerialBufferSize = 3000;

class UsbSerialLibrary {
public:
    virtual ~UsbSerialLibrary() = default;
    // Calls GetUSBSerial with a caller-owned buffer of kUsbSerialBufferSize bytes.
    // Returns false when the library cannot be loaded or the call itself fails.
    virtual bool getUSBSerial(char* buffer, std::int16_t& length, std::int16_t& count,
                              std::int16_t& status) = 0;
};

}  // namespace qv
