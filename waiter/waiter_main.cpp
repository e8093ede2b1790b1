// PURPOSE: the waiter's entry: runs the hidden dialog, which starts the
// component's setup.exe and ends when the installer is done.
#include <windows.h>
#include "waiter_dialog.h"
#include "waiter_ids.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A missing disc or file gives an error result, not a system message box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    static WaiterDialog waiter;
    InitWaiterDialog(waiter, instance);
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_WAITER), 0, WaiterDialogProc,
                    reinterpret_cast<LPARAM>(&waiter));
    ReleaseInstaller(waiter.installer);
    return static_cast<int>(waiter.exitCode);
}
