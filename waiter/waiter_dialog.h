// PURPOSE: the waiter's dialog: hidden, it starts setup.exe and polls the
// desktop until the installer is done.
#pragma once
#include <windows.h>
#include "installer_process.h"
#include "poll_decision.h"

// Everything the dialog owns; one static record of WinMain (4 KB on the stack
// would need stack probes), which passes it to DialogBoxParamA and releases
// the installer after the dialog ended.
struct WaiterDialog {
    HICON iconHandle;          // painted when minimised; null in the shipped build
    char watchedTitle[4096];   // the window text to wait for; "" watches the process
    PollMemory poll;
    Installer installer;
    DWORD exitCode;            // 0, or why setup.exe did not start
};

// Prepares a dialog for the module's template; waiter is all zero before
// (no title, nothing seen, no installer started, no error).
void InitWaiterDialog(WaiterDialog& waiter, HINSTANCE instance);

INT_PTR CALLBACK WaiterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
