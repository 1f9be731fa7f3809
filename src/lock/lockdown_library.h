// The lock-down library: task bar, Task Manager and special keys off (0) and on (-1).
#pragma once

#include <cstdint>

namespace qv {

constexpr std::int32_t kFeatureOff = 0;
constexpr std::int32_t kFeatureOn = -1;

class LockDownLibrary {
public:
    virtual ~LockDownLibrary() = default;
    // Each call is ignored when the library is missing.
    virtual void lockW2kSpecialKey(std::int32_t flag) = 0;
    virtual void lockW98SpecialKey(std::int32_t flag) = 0;
    virtual void lockW2kTaskManager(std::int32_t flag) = 0;
    virtual void lockWAllTaskbar(std::int32_t flag) = 0;
};

}  // namespace qv
