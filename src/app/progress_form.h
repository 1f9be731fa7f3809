// The short start-up window shown while the program loads.
#pragma once

#include "app/context.h"
#include "app/skin.h"

namespace qv {

class ProgressForm : public Form {
public:
    ProgressForm(Context& ctx, SkinComponent& skin) : ctx_(ctx), skin_(skin) {}
    const char* name() const override { return "frmprogress"; }
    // Form_Initialize: OS code and skin set-up; runs before the window is created.
    void initialize();
    void load() override;

private:
    Context& ctx_;
    SkinComponent& skin_;
    bool skinCreated_ = false;
};

}  // namespace qv
