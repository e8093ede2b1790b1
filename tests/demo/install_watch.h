// PURPOSE: watching an install script run from outside: the waiters that
// the launcher starts, the component installers' windows, and what the
// stand-in installers write to their logs; told as it happens.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "menu_visit.h"

// One waiter's run, as seen from outside.
struct ComponentRun {
    std::string folder;          // relative to the disc, e.g. "tessera\w95e"
    std::string title;           // its Tarrywin.INI's [CHECK] STRING
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

// Watches the launcher's install until the launcher ends or timeoutMs pass.
// Returns the waiters in the order they started.
std::vector<ComponentRun> WatchInstall(const WalkthroughPaths& paths, DWORD launcherId,
                                       HANDLE launcher, DWORD timeoutMs);
