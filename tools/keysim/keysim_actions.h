// What the key simulator does: rewrites usbsim.txt (in the program folder, or where QV_USBSIM
// says), takes the key's drive away or brings it back (the folder QV_STICK names), and tells
// the program's main window of the drive arrival or removal, as the shell and the system would.
#pragma once

#include <functional>
#include <string>

#include "usbkey/usb_sim_file.h"

namespace keysim {

struct Action {
    qv::SimStick stick;
    bool plug;
};

// "plug-key", "pull-other", ...; false for any other word.
bool ParseAction(const std::string& word, Action& action);
// The seconds of a timed pull, "1" to "3600"; false for anything else.
bool ParseSeconds(const std::string& text, int& seconds);
constexpr int kMaxPullSeconds = 3600;
// Applies the action and returns a one-line report; false when usbsim.txt could not be written.
// `atNotice` runs just before the main window is told (a benchmark's clock starts there).
bool Apply(const std::string& programFolder, const Action& action, std::string& report,
           const std::function<void()>& atNotice = {});
// "key=plugged other=pulled noserial=pulled", with "status=<n>" when one is forced.
std::string State(const std::string& programFolder);

}  // namespace keysim
