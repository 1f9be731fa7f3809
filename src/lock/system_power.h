// Turning the computer off from the shut-down dialog. Each call returns false when the
// system refused it; on success it may not return at all.
#pragma once

namespace qv {

class SystemPower {
public:
    virtual ~SystemPower() = default;
    // Windows 2000 and later: the shut-down privilege, then a shut-down without restart
    // straight through the system, without asking the programs to close.
    virtual bool shutdownNt() = 0;
    // Windows 98 and Me: asks the system to shut down.
    virtual bool exitWindows98() = 0;
    // Restart and log off, asked of the system with the shut-down privilege enabled.
    virtual bool restart() = 0;
    virtual bool logOff() = 0;
};

}  // namespace qv
