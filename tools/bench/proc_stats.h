// What Linux knows of a process running under Wine, read through Wine's Z: drive: its CPU
// time, context switches (wake-ups) and memory, summed over its threads.
#pragma once

#include <cstdint>
#include <string>

namespace qv::bench {

struct ProcSample {
    double cpuMs = 0;            // on-CPU time of all threads
    std::uint64_t wakeUps = 0;   // context switches of all threads, voluntary and forced
    double residentKb = 0;       // VmRSS
    double privateKb = 0;        // private clean + private dirty pages
};

// The Linux pid of the process of this Wine prefix whose command line holds `needle`
// (case-insensitive), or 0.
int FindUnixPid(const std::string& needle);
// False when the process is gone.
bool Sample(int pid, ProcSample& out);

}  // namespace qv::bench
