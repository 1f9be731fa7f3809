// Fakes of the keyboard hook and the shut-down calls, for the lock screen's tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "lock/input_lock.h"
#include "lock/system_power.h"

namespace qv::test {

// Writes "hook thread" / "hook desktop", "unhook <handle>" and "releaseShift" into `log`
// (usually the lock-down fake's call list, so the order of both shows in one place).
class FakeInputLock : public InputLock {
public:
    explicit FakeInputLock(std::vector<std::string>& log) : log_(log) {}
    std::uintptr_t handle = 77;   // what the installation returns; 0 = failed
    std::uintptr_t installKeyboardHook(bool perThread) override {
        log_.push_back(perThread ? "hook thread" : "hook desktop");
        return handle;
    }
    void removeKeyboardHook(std::uintptr_t h) override { log_.push_back("unhook " + std::to_string(h)); }
    void releaseShiftKey() override { log_.push_back("releaseShift"); }

private:
    std::vector<std::string>& log_;
};

class FakeSystemPower : public SystemPower {
public:
    std::vector<std::string> calls;
    bool result = true;             // false: the system refuses
    std::function<void()> onCall;   // runs at the moment of the call
    bool shutdownNt() override { return record("shutdownNt"); }
    bool exitWindows98() override { return record("exitWindows98"); }
    bool restart() override { return record("restart"); }
    bool logOff() override { return record("logOff"); }

private:
    bool record(const char* call) {
        calls.push_back(call);
        if (onCall) onCall();
        return result;
    }
};

}  // namespace qv::test
