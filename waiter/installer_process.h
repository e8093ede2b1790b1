// PURPOSE: starting the component's setup.exe and telling whether it, and
// everything it started, is still running.
#pragma once
#include <windows.h>
#include "poll_decision.h"
#include "process_family.h"

// The started setup.exe; all zero before it starts. The job is
// null where the system has no job objects or the process could join none.
// Without a job, the processes it started are told by the system's process
// list where there is one (every Windows but NT 4.0).
struct Installer {
    HANDLE process;
    HANDLE job;
    ProcessFamily family;
};

// Starts commandLine (the program path, quoted) shown normally. Where job
// objects exist, the process joins a fresh job before its first instruction
// runs, so every process it starts is in that job too. Returns 0, or the
// Windows error code when the program could not be started.
DWORD StartInstaller(char* commandLine, Installer& installer);

Liveness ProcessLiveness(const Installer& installer);
Liveness JobLiveness(const Installer& installer);
// Reads the system's process list; call it at every poll while there is no
// job, so that a process is known before the one that started it ends.
Liveness DescendantsLiveness(Installer& installer);

// Closes both handles; the installer's processes run on.
void ReleaseInstaller(Installer& installer);
