// qv_bench.exe: measures the real program under Wine with the key simulator's actions.
//   qv_bench [--runs N] [--idle-seconds S]
// Prepares F:\Program\quorvel from the shipped 64-bit folder (QV_DIST) with the simulated USB
// library (QV_BIN\sim), arms the lock with the default 24-hour duration and then measures
//   - lock: drive notices of the pull sent (usbsim.txt already rewritten and the stick's drive
//     gone) -> lock screen visible, topmost, covering the whole desktop and its thread
//     answering a message;
//   - record: the same notices -> the three lock-record files on disk;
//   - unlock: drive notices of the plug sent -> lock screen hidden and the desktop usable
//     again (a task bar of the benchmark's own shown again by the lock-down library); and the
//     same notices -> the program answering again, which under Xvfb without a window manager
//     includes Wine's wait of about 2 s for the manager to confirm the full-screen window's
//     withdrawal;
//   - CPU, wake-ups (context switches) and memory over S seconds armed and S seconds locked,
//     as ten slices, from Linux's view of the Wine process.
// Start-up is not measured: Wine's wait for the withdrawn start-up window under Xvfb would
// swamp it. Prints a table of medians with minimum and maximum.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "driver.h"
#include "keysim_actions.h"
#include "proc_stats.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;
using qv::bench::ProcSample;

namespace {

constexpr DWORD kTimeoutMs = 10000;

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Series {
    std::string name, unit;
    std::vector<double> values;
};

void Print(const Series& s) {
    if (s.values.empty()) {
        std::printf("%-38s %10s\n", s.name.c_str(), "no data");
        return;
    }
    std::vector<double> v = s.values;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    std::printf("%-38s %10.2f %10.2f %10.2f  %-6s n=%zu\n", s.name.c_str(), median, v.front(), v.back(), s.unit.c_str(),
                n);
}

// `atNotice` runs as the drive notices go out, once the device list and the drive have changed.
bool Simulate(const char* word, const std::function<void()>& atNotice = {}) {
    keysim::Action action{};
    std::string report;
    return keysim::ParseAction(word, action) && keysim::Apply(kFolder, action, report, atNotice);
}

bool Answers(HWND hwnd) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &result) != 0;
}

bool Covers(HWND w) {
    if (!IsWindowVisible(w) || !(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST)) return false;
    RECT r{};
    GetWindowRect(w, &r);
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return r.left <= x && r.top <= y && r.right >= x + GetSystemMetrics(SM_CXVIRTUALSCREEN) &&
           r.bottom >= y + GetSystemMetrics(SM_CYVIRTUALSCREEN);
}

// Only the dialog windows are looked at, which the window server picks out itself: the search
// runs every millisecond, and asking after every window each time kept the server (the one the
// measured program needs to put its screen up) busy with the benchmark.
HWND LockScreenOf(const Program& program) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w; w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == program.processId() && GetDlgItem(w, IDC_cButtonUnlock)) return w;
    }
    return nullptr;
}

// Polls every millisecond; the elapsed time since `start` when `done` first holds, or -1.
double Until(double start, const std::function<bool()>& done) {
    while (NowMs() - start < kTimeoutMs) {
        if (done()) return NowMs() - start;
        Sleep(1);
    }
    return -1;
}

bool RecordOnDisk() {
    for (const char* name : {"tplockts.ini", "tpserial1.dat", "tpserial2.dat"})
        if (!FileExists(RecordFolder() + "\\" + name)) return false;
    return true;
}

// A task bar for the lock-down library to hide and show: Wine has none of its own in view.
// It lives on a thread of its own, so the program's calls on it never wait for the measuring
// thread, and it is shown without activation, so Wine does not hand it to a window manager
// (whose absence under Xvfb costs every hide two seconds).
class Taskbar {
public:
    Taskbar() : thread_([this] { run(); }) {
        while (!ready_) Sleep(1);
    }
    ~Taskbar() {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    bool visible() const { return IsWindowVisible(hwnd_) != 0; }

private:
    void run() {
        threadId_ = GetCurrentThreadId();
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 200, 30,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);   // the thread's queue exists before anyone posts
        ready_ = true;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        DestroyWindow(hwnd_);
    }

    HWND hwnd_ = nullptr;
    DWORD threadId_ = 0;
    std::atomic<bool> ready_{false};
    std::thread thread_;
};

struct Cycle {
    double lock = -1, record = -1, unlock = -1, answering = -1;
};

Cycle PullAndPlug(const Program& program, HWND main, const Taskbar& taskbar) {
    Cycle c;
    double start = 0;
    const auto clock = [&start] { start = NowMs(); };
    if (!Simulate("pull-key", clock)) return c;
    HWND screen = nullptr;
    c.lock = Until(start, [&] {
        screen = LockScreenOf(program);
        return screen && Covers(screen) && Answers(screen);
    });
    c.record = Until(start, RecordOnDisk);
    Sleep(500);   // the lock settles
    if (!Simulate("plug-key", clock)) return c;
    c.unlock = Until(start, [&] { return !IsWindowVisible(screen) && taskbar.visible(); });
    c.answering = Until(start, [&] { return !IsWindow(screen) && Answers(main); });
    Sleep(500);
    return c;
}

// Ten slices of the phase: CPU ms and wake-ups scaled to the whole phase, memory at each end.
void Observe(int pid, const std::string& phase, int seconds, std::vector<Series>& out) {
    Series cpu{phase + ": CPU per " + std::to_string(seconds) + " s", "ms", {}};
    Series wake{phase + ": wake-ups per " + std::to_string(seconds) + " s", "", {}};
    Series rss{phase + ": resident memory", "KiB", {}};
    Series priv{phase + ": private memory", "KiB", {}};
    ProcSample before{}, after{};
    if (!qv::bench::Sample(pid, before)) return;
    const ProcSample first = before;
    for (int i = 0; i < 10; ++i) {
        Sleep(static_cast<DWORD>(seconds * 100));
        if (!qv::bench::Sample(pid, after)) break;
        cpu.values.push_back((after.cpuMs - before.cpuMs) * 10);
        wake.values.push_back(static_cast<double>(after.wakeUps - before.wakeUps) * 10);
        rss.values.push_back(after.residentKb);
        priv.values.push_back(after.privateKb);
        before = after;
    }
    std::printf("%s: over the whole %d s: CPU %.1f ms, %llu wake-ups\n", phase.c_str(), seconds,
                after.cpuMs - first.cpuMs, static_cast<unsigned long long>(after.wakeUps - first.wakeUps));
    for (Series* s : {&cpu, &wake, &rss, &priv}) out.push_back(*s);
}

int Run(int runs, int idleSeconds) {
    PrepareProgramFolder();
    if (!Simulate("plug-key")) {
        std::fprintf(stderr, "cannot write usbsim.txt\n");
        return 2;
    }

    // Armed with the default 24-hour duration: the lock screen's clock runs while locked.
    Program program;
    HWND main = StartArmed(program, "OPENSESAME1");
    if (!main) {
        std::fprintf(stderr, "the lock did not arm\n");
        return 2;
    }
    const int pid = qv::bench::FindUnixPid("quorvel.exe");

    // The first pull loads the lock-down library and the screen's fonts: reported apart.
    Taskbar taskbar;
    const Cycle cold = PullAndPlug(program, main, taskbar);
    std::vector<Series> table = {{"lock latency", "ms", {}},
                                 {"pull -> record on disk", "ms", {}},
                                 {"unlock latency (screen hidden, desktop)", "ms", {}},
                                 {"plug -> program answering (Wine wait)", "ms", {}}};
    for (int i = 0; i < runs; ++i) {
        const Cycle c = PullAndPlug(program, main, taskbar);
        for (auto [series, value] : {std::pair{&table[0], c.lock}, {&table[1], c.record}, {&table[2], c.unlock},
                                     {&table[3], c.answering}}) {
            if (value >= 0) series->values.push_back(value);
        }
    }
    std::printf("first pull: lock %.2f ms, record %.2f ms, unlock %.2f ms, answering %.2f ms\n", cold.lock,
                cold.record, cold.unlock, cold.answering);

    if (pid) {
        Sleep(2000);
        Observe(pid, "armed, idle", idleSeconds, table);
        Simulate("pull-key");
        HWND screen = nullptr;
        Until(NowMs(), [&] { return (screen = LockScreenOf(program)) != nullptr; });
        Sleep(2000);
        Observe(pid, "locked", idleSeconds, table);
        Simulate("plug-key");
    } else {
        std::fprintf(stderr, "the program's Linux process was not found: no CPU or memory figures\n");
    }

    std::printf("\n%-38s %10s %10s %10s\n", "", "median", "min", "max");
    for (const Series& s : table) Print(s);
    program.kill();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 15, idleSeconds = 60;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
        else if (arg == "--idle-seconds") idleSeconds = std::max(1, std::atoi(argv[i + 1]));
    }
    try {
        return Run(runs, idleSeconds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qv_bench: %s\n", e.what());
        return 2;
    }
}
