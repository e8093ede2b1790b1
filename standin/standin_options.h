// PURPOSE: what a run of the stand-in installer does, from standin.ini beside
// it and from its command line.
//
// standin.ini, section [standin] (every key optional):
//   mode=window     open the window(s) and stay until they are gone (default)
//   mode=child      start a copy of itself that does "window", then exit at once
//   mode=breakaway  the same, the copy started out of the stand-in's job
//                   (CREATE_BREAKAWAY_FROM_JOB)
//   mode=jobchild   the same, the copy started suspended out of the job and
//                   put into a new job of the stand-in's own
//   mode=crash      crash (an access violation) before any window
//   mode=exit       exit before any window
//   title=...       the windows' title (default "Stand-in Setup")
//   windows=1       how many windows with that title
//   lifetime=3000   ms the first window stays; 0 keeps it until it is closed
//   stagger=0       ms each further window stays longer than the one before
//   delay=0         ms to wait before the windows open
//   exitcode=0      the process's exit code
//   log=...         the log file (default standin.log beside the program)
// The command line may override any key as /key=value (quote the whole
// token or the value when it holds blanks); the last one given wins.
#pragma once
#include <windows.h>

struct StandinOptions {
    char mode[16];
    char title[256];
    int windows;
    int lifetimeMs;
    int staggerMs;
    int delayMs;
    int exitCode;
    char log[MAX_PATH];
    char program[MAX_PATH];   // this program's own path
};

// Reads standin.ini beside the program, then the command line arguments.
void ReadOptions(StandinOptions& options, const char* arguments);

bool SameAscii(const char* a, const char* b);
