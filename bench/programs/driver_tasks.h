// PURPOSE: the benchmark driver's tasks; each prints its figures to standard
// output, one line per measurement, for bench/measure to read.
#pragma once
#include <string>

// Alternates starting setupExe and minimalExe, rounds times each, and prints
// "startup setup <ms>" or "startup minimal <ms>": the time from
// CreateProcess to the program's first visible dialog.
int TimeStartups(const std::string& setupExe, const std::string& minimalExe, int rounds);

// Runs folder\Tarrywin.exe runs times beside the stand-in installer, whose
// window (titled title) is destroyed at a different phase of the waiter's
// poll each run; prints "latency <ms> delay=<ms>": from the window's
// destruction to the waiter's process end.
int TimeDetections(const std::string& folder, const std::string& title, int runs);

// Starts SETUP.EXE, presses the button that installs everything, confirms,
// and waits for the program to end; prints "installed <exit code>".
int RunInstallFromMenu(const std::string& setupExe);
