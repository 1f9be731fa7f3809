// Help > About: the about box and the system information tool it can start.
#pragma once

#include <string>

#include "app/context.h"

namespace qv {

// The text of a registry value as the about box reads it: one trailing zero byte dropped;
// a string value (type 1) as it is; a 32-bit value (type 4) as "&h" and the bytes in hex
// from the last to the first (the value read most-significant first); other types empty.
std::string RegValueText(const RegValue& value);

// Reads one value into `value`; false (and `value` empty) when it cannot be read or does
// not fit the 1024-byte buffer the tool path is read into.
bool GetKeyValue(Registry& registry, RegRoot root, const std::string& key, const std::string& name,
                 std::string& value);

// Starts the system information tool named by the registry, or tells the user it is not there.
void StartSysInfo(Context& ctx);

class AboutForm : public Form {
public:
    explicit AboutForm(Context& ctx) : ctx_(ctx) {}
    const char* name() const override { return "frmAbout"; }
    void load() override;
    void click(const std::string& control) override;

private:
    Context& ctx_;
};

// The mnuHelpAbout handler: the about box, modal.
void mnuHelpAbout(Context& ctx);

}  // namespace qv
