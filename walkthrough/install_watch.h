// PURPOSE: watching an install script run from outside: the programs that
// the launcher starts (waiters and others), the installers' windows, and
// what the stand-in installers write to their logs; told as it happens.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "menu_visit.h"

// One started program's run, as seen from outside.
struct ComponentRun {
    std::string program;         // relative to the disc when on it
    std::string folder;          // the program's folder, likewise
    bool isWaiter = false;       // a Tarrywin.exe
    std::string title;           // the awaited window: a waiter's Tarrywin.INI
                                 // [CHECK] STRING, else the plan's
    size_t index = 0;            // 1 for the first program started
    DWORD waiterId = 0;
    HANDLE waiter = NULL;
    DWORD startedAt = 0;
    DWORD endedAt = 0;           // 0 while running
    DWORD exitCode = 0;
    DWORD windowOpenedAt = 0;    // 0 until the titled window is seen
    DWORD windowClosedAt = 0;
    bool photographed = false;
    size_t logTold = 0;          // bytes of the stand-in's log already told
};

// Watches the launcher's install until the launcher ends or timeoutMs pass;
// steps are the button's, whose run steps name the windows of programs
// other than waiters. Returns the started programs in the order they started.
std::vector<ComponentRun> WatchInstall(const WalkthroughPaths& paths, DWORD launcherId,
                                       HANDLE launcher, DWORD timeoutMs,
                                       const std::vector<PlanStep>& steps);
