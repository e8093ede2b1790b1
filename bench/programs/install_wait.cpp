// PURPOSE: SETUP.EXE through its menu: the button that installs everything,
// confirmed, then the wait for the program to end. What it costs while it
// waits is measured from outside (bench/measure reads the CPU time).
#include <windows.h>
#include <stdio.h>
#include "driver_tasks.h"
#include "gui.h"
#include "processes.h"

namespace {

const int kInstallAllButton = 101;
const DWORD kDialogTimeoutMs = 30000;
const DWORD kInstallTimeoutMs = 300000;

}  // namespace

int RunInstallFromMenu(const std::string& setupExe) {
    Program setup;
    if (!setup.Start("\"" + setupExe + "\"")) {
        printf("installed failed to start\n");
        return 1;
    }
    HWND menu = WaitForDialog(setup.id(), kDialogTimeoutMs);
    if (!menu) {
        printf("installed no menu\n");
        return 1;
    }
    PressButton(menu, kInstallAllButton);
    HWND confirmation = WaitForDialog(setup.id(), kDialogTimeoutMs, "Installing all items.");
    if (!confirmation) {
        printf("installed no confirmation\n");
        return 1;
    }
    PressButton(confirmation, IDOK);
    long code = setup.WaitForExit(kInstallTimeoutMs);
    printf("installed %ld\n", code);
    return code == 0 ? 0 : 1;
}
