// PURPOSE: start-up time of SETUP.EXE against the minimal dialog program:
// from CreateProcess to the first visible dialog of the new process.
#include <windows.h>
#include <stdio.h>
#include "driver_tasks.h"
#include "gui.h"
#include "processes.h"

namespace {

const DWORD kDialogTimeoutMs = 30000;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// Milliseconds until the program shows a dialog, or -1 when it shows none.
// The dialog is closed from its system menu afterwards, as a user would.
double TimeToFirstDialog(const std::string& program) {
    LARGE_INTEGER started, shown;
    QueryPerformanceCounter(&started);
    Program run;
    if (!run.Start("\"" + program + "\"")) return -1;
    HWND dialog = NULL;
    // Looked for every millisecond, rather than at the driver library's
    // 20 ms pace, so the figure is not rounded up to that step.
    for (DWORD begin = GetTickCount(); !dialog && GetTickCount() - begin < kDialogTimeoutMs;) {
        std::vector<HWND> dialogs = TopLevelWindowsOf(run.id(), "#32770");
        if (!dialogs.empty()) dialog = dialogs.front();
        else Sleep(1);
    }
    QueryPerformanceCounter(&shown);
    if (!dialog) return -1;
    SendSystemCommand(dialog, SC_CLOSE);
    if (run.WaitForExit(10000) < 0) run.Terminate();
    return Milliseconds(started, shown);
}

}  // namespace

int TimeStartups(const std::string& setupExe, const std::string& minimalExe, int rounds) {
    struct Candidate {
        const char* name;
        const std::string& program;
    } candidates[2] = {{"setup", setupExe}, {"minimal", minimalExe}};
    for (int round = 0; round < rounds; ++round) {
        // Alternate which goes first, so that neither always meets a system
        // still busy with the other's exit.
        for (int k = 0; k < 2; ++k) {
            const Candidate& c = candidates[(round + k) % 2];
            double ms = TimeToFirstDialog(c.program);
            if (ms < 0) {
                printf("startup %s failed\n", c.name);
                return 1;
            }
            printf("startup %s %.1f\n", c.name, ms);
            Sleep(500);
        }
    }
    return 0;
}
