// keysim.exe: plugs and pulls simulated USB sticks for the program under test.
//   keysim.exe [--program-folder <dir>]                       the window
//   keysim.exe [--program-folder <dir>] plug-key|pull-key|plug-other|pull-other|plug-noserial|pull-noserial
//   keysim.exe [--program-folder <dir>] pull-key-for <seconds>     pulls the key, plugs it back after 1 to 3600 s
//   keysim.exe [--program-folder <dir>] --state
// The program folder defaults to keysim's own folder.
#include <windows.h>

#include <cstdio>
#include <string>

#include "keysim_actions.h"
#include "keysim_window.h"

namespace {

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    std::string p(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return p.substr(0, p.find_last_of('\\'));
}

int Usage() {
    std::fputs("usage: keysim [--program-folder <dir>] [plug-key|pull-key|plug-other|pull-other|"
               "plug-noserial|pull-noserial|pull-key-for <seconds>|--state]\n",
               stderr);
    return 1;
}

// Pulls the key, waits, and plugs it back: the same two actions as the separate commands.
int TimedPull(const std::string& folder, const std::string& secondsText) {
    int seconds = 0;
    if (!keysim::ParseSeconds(secondsText, seconds)) {
        std::fprintf(stderr, "pull-key-for: seconds must be a whole number from 1 to %d\n", keysim::kMaxPullSeconds);
        return 1;
    }
    keysim::Action pull{}, plug{};
    keysim::ParseAction("pull-key", pull);
    keysim::ParseAction("plug-key", plug);
    std::string report;
    bool ok = keysim::Apply(folder, pull, report);
    std::printf("%s\n", report.c_str());
    std::fflush(stdout);
    if (!ok) return 2;
    Sleep(static_cast<DWORD>(seconds) * 1000);
    ok = keysim::Apply(folder, plug, report);
    std::printf("%s\n", report.c_str());
    return ok ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = OwnFolder();
    std::string command;
    std::string seconds;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--program-folder" && i + 1 < argc) {
            folder = argv[++i];
            while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
        } else if (command.empty()) {
            command = arg;
        } else if (command == "pull-key-for" && seconds.empty()) {
            seconds = arg;
        } else {
            return Usage();
        }
    }

    if (command.empty()) {
        // Started from Explorer the console is ours alone: let it go, the window is enough.
        DWORD processes[2];
        if (GetConsoleProcessList(processes, 2) == 1) FreeConsole();
        return keysim::RunWindow(folder);
    }
    if (command == "--state") {
        std::printf("%s\n", keysim::State(folder).c_str());
        return 0;
    }
    if (command == "pull-key-for") return TimedPull(folder, seconds);
    keysim::Action action{};
    if (!keysim::ParseAction(command, action)) return Usage();
    std::string report;
    bool ok = keysim::Apply(folder, action, report);
    std::printf("%s\n", report.c_str());
    return ok ? 0 : 2;
}
