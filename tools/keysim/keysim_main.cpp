// keysim.exe: plugs and pulls simulated USB sticks for the program under test.
//   keysim.exe [--program-folder <dir>]                       the window
//   keysim.exe [--program-folder <dir>] plug-key|pull-key|plug-other|pull-other|plug-noserial|pull-noserial
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
               "plug-noserial|pull-noserial|--state]\n",
               stderr);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = OwnFolder();
    std::string command;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--program-folder" && i + 1 < argc) {
            folder = argv[++i];
            while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
        } else if (command.empty()) {
            command = arg;
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
    keysim::Action action{};
    if (!keysim::ParseAction(command, action)) return Usage();
    std::string report;
    bool ok = keysim::Apply(folder, action, report);
    std::printf("%s\n", report.c_str());
    return ok ? 0 : 2;
}
