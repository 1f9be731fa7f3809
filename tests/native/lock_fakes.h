// Keyboard hook and shut-down fakes for the lock screen's tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "lock/input_lock.h"
#include "lock/system_power.h"

namespace qv::test {

// Logs into `log` (usually the lock-down fake's call list, so both orders show in one place).
struct FakeInputLock : InputLock {
    explicit FakeInputLock(std::vector<std::string>& calls) : log(calls) {}
    std::vector<std::string>& log;
    std::uintptr_t handle = 77;   // 0: the installation failed
    std::uintptr_t installKeyboardHook(bool perThread) override {
        log.push_back(perThread ? "hook thread" : "hook desktop");
        return handle;
    }
    void removeKeyboardHook(std::uintptr_t h) override { log.push_back("unhook " + std::to_string(h)); }
    void releaseShiftKey() override { log.push_back("releaseShift"); }
};

struct FakeSystemPower : SystemPower {
    std::vector<std::string> calls;
    bool result = true;             // false: the system refuses
    std::function<void()> onCall;   // runs at the moment of the call
    bool shutdownNt() override { return record("shutdownNt"); }
    bool exitWindows98() override { return record("exitWindows98"); }
    bool restart() override { return record("restart"); }
    bool logOff() override { return record("logOff"); }
    bool record(const char* call) {
        calls.push_back(call);
        if (onCall) onCall();
        return result;
    }
};

}  // namespace qv::test
