// frmShutDown: lets the person at the locked computer turn it off without unlocking it.
#pragma once

#include "app/context.h"

namespace qv {

class ShutDownForm : public Form {
public:
    explicit ShutDownForm(Context& ctx) : ctx_(ctx) {}
    const char* name() const override { return "frmShutDown"; }
    void load() override;
    void click(const std::string& control) override;

    static constexpr const char* kShutDown = "Shut down";
    static constexpr const char* kRestart = "Restart";
    static constexpr const char* kLogOff = "Log off";
    static constexpr const char* kShuttingDown = "Your computer is shutting down ...";

private:
    void shutDown();
    void refused();
    std::string prompt();

    Context& ctx_;
};

}  // namespace qv
