// The lock on the real program with the key simulator: arm, pull the key (its drive F: goes
// with it), the lock screen, another stick, the key back, a kill while locked and the start
// from the PC that comes back locked.
#include <gtest/gtest.h>

#include <filesystem>

#include "driver.h"
#include "resources/resource_ids.h"
#include "services/win_lock_services.h"

using namespace qv::e2e;

namespace {

std::string L(unsigned id) { return LibraryString("langfile0409.dll", id, "%username", "User"); }

// Whether the lock record is in the per-machine folder: its file written last and removed last.
bool Recorded() { return FileExists(RecordFolder() + "\\tpserial2.dat"); }

// Whether the lock-down has turned Task Manager off.
bool TaskManagerOff() {
    DWORD value = 0, size = sizeof value;
    return RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                        "DisableTaskMgr", RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS && value;
}

// Whether an injected Shift shows as held within a second, as a key that the lock's keyboard
// hook lets through does (its verdict may come after the injection returns).
bool ShiftArrives() {
    qv::win::SendKey(VK_SHIFT, true);
    const bool held = WaitFor([] { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }, 1s);
    qv::win::SendKey(VK_SHIFT, false);
    return held;
}

}  // namespace

TEST(Lock, PullLocksAnotherStickDoesNotTheKeyUnlocksAndAKilledLockComesBack) {
    PrepareProgramFolder();
    Simulate("plug-key");
    Program program;
    HWND main = StartArmed(program, "OPENSESAME1");
    ASSERT_TRUE(main);

    Simulate("plug-other");
    Simulate("pull-other");
    EXPECT_EQ(program.find(IDC_cButtonUnlock, 3s), nullptr) << "another stick's pull locked";

    Simulate("pull-key");
    HWND screen = DialogWith(program, IDC_cButtonUnlock);
    EXPECT_TRUE(WaitFor([] { return TaskManagerOff() && Recorded(); }));
    EXPECT_FALSE(ShiftArrives()) << "keys swallowed";   // the hook is set before the lock-down
    for (POINT corner : {POINT{0, 0}, POINT{GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1}})
        EXPECT_EQ(GetAncestor(WindowFromPoint(corner), GA_ROOT), screen) << "covers the whole desktop";
    // The countdown of the default duration runs.
    ASSERT_TRUE(WaitFor([&] { return ControlText(screen, IDC_lblTimeRemain).find(" Hour, ") != std::string::npos; }));
    const std::string remaining = ControlText(screen, IDC_lblTimeRemain);
    EXPECT_TRUE(WaitFor([&] { return ControlText(screen, IDC_lblTimeRemain) != remaining; }, 3s));

    // Another stick: the wrong-key notice; still locked.
    Simulate("plug-other");
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(GetDlgItem(screen, IDC_Picture2)); }, 3s));

    // The key: the lock screen goes, the lock-down with it, and the record; still armed.
    Simulate("plug-key");
    EXPECT_TRUE(IsWindow(screen)) << "the system's broadcast was answered only once the screen had gone";
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(screen) && !TaskManagerOff() && !Recorded(); }));
    EXPECT_TRUE(WaitFor(ShiftArrives)) << "keys reach the desktop again";
    EXPECT_EQ(SendMessageA(main, DM_GETDEFID, 0, 0), MAKELRESULT(IDC_cmdLock, DC_HASDEFID)) << "notices took it";

    // Esc asks as Exit does; No keeps the program armed.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ExpectBox(program, L(510), IDNO);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, IDC_cmdUnlock)));

    // Killed while locked, started again from the PC (the stick, which holds the program, is
    // the key that is away): locked again until the key comes back.
    std::filesystem::copy(kFolder, kPcFolder, std::filesystem::copy_options::recursive);
    Simulate("pull-key");
    EXPECT_TRUE(WaitFor(Recorded));
    program.kill();
    Program again;
    StartMain(again, kPcFolder);
    DialogWith(again, IDC_cButtonUnlock);
    Simulate("plug-key");
    EXPECT_TRUE(again.waitExit(15s));   // the lock had been resumed: the main window closes too
    EXPECT_FALSE(Recorded());
}
