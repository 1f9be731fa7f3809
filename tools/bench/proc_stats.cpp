#include "proc_stats.h"

#include "driver.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace qv::bench {

namespace {

// /proc files read through Wine's Z: drive; empty when gone.
std::string ReadProcFile(const std::string& path) { return e2e::ReadFileBytes(path); }

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The number after `key` in a "Key:   value" listing, 0 when absent.
double Field(const std::string& text, const std::string& key) {
    std::size_t at = text.find("\n" + key);
    if (at == std::string::npos) at = text.rfind(key, 0) == 0 ? 0 : std::string::npos;
    else ++at;
    if (at == std::string::npos) return 0;
    return std::strtod(text.c_str() + at + key.size(), nullptr);
}

template <typename Fn>
void ForEachEntry(const std::string& folder, Fn fn) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (std::isdigit(static_cast<unsigned char>(data.cFileName[0]))) fn(std::string(data.cFileName));
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

}  // namespace

int FindUnixPid(const std::string& needle) {
    char prefix[MAX_PATH] = {};
    GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    const std::string wanted = "WINEPREFIX=" + std::string(prefix) + '\0';
    const std::string lowNeedle = Lower(needle);
    int found = 0;
    ForEachEntry("Z:\\proc", [&](const std::string& pid) {
        if (found) return;
        const std::string dir = "Z:\\proc\\" + pid;
        if (Lower(ReadProcFile(dir + "\\cmdline")).find(lowNeedle) == std::string::npos) return;
        if ((ReadProcFile(dir + "\\environ") + '\0').find(wanted) == std::string::npos) return;
        found = std::atoi(pid.c_str());
    });
    return found;
}

bool Sample(int pid, ProcSample& out) {
    const std::string dir = "Z:\\proc\\" + std::to_string(pid);
    const std::string status = ReadProcFile(dir + "\\status");
    if (status.empty()) return false;
    out = {};
    out.residentKb = Field(status, "VmRSS:");
    const std::string rollup = ReadProcFile(dir + "\\smaps_rollup");
    out.privateKb = Field(rollup, "Private_Clean:") + Field(rollup, "Private_Dirty:");
    ForEachEntry(dir + "\\task", [&](const std::string& tid) {
        const std::string task = dir + "\\task\\" + tid;
        std::istringstream sched(ReadProcFile(task + "\\schedstat"));
        double ns = 0;
        sched >> ns;
        out.cpuMs += ns / 1e6;
        const std::string taskStatus = ReadProcFile(task + "\\status");
        out.wakeUps += static_cast<std::uint64_t>(Field(taskStatus, "voluntary_ctxt_switches:") +
                                                  Field(taskStatus, "nonvoluntary_ctxt_switches:"));
    });
    return true;
}

}  // namespace qv::bench
