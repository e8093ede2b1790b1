// PURPOSE: starting the component's setup.exe and telling whether it, and
// everything it started, is still running.
#pragma once
#include <windows.h>
#include "poll_decision.h"

// The started setup.exe. Both handles are null until it starts; the job is
// null where the system has no job objects or the process could not join one.
struct Installer {
    HANDLE process;
    HANDLE job;
};

// Starts commandLine (the program path, quoted) shown normally. Where job
// objects exist, the process joins a fresh job before its first instruction
// runs, so every process it starts is in that job too. Returns 0, or the
// Windows error code when the program could not be started.
DWORD StartInstaller(char* commandLine, Installer& installer);

Liveness ProcessLiveness(const Installer& installer);
Liveness JobLiveness(const Installer& installer);

// Closes both handles; the installer's processes run on.
void ReleaseInstaller(Installer& installer);
