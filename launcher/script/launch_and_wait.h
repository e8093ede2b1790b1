// PURPOSE: starting an install script's program through the shell and waiting
// until it (or the owner of its window) has finished.
#pragma once

#include <windows.h>

// How long a titled window is still waited for once the started program has
// ended without one being there.
const DWORD kEndedProgramGraceMs = 10000;

// Starts the program at programPath (a full path) with its own folder as the
// current directory, and returns once the awaited process has ended: the
// started process itself when windowTitle is null, otherwise the owner of the
// first top-level window titled windowTitle. With a title, the wait also
// returns when the started process has ended and no window with the title
// has been there for kEndedProgramGraceMs (the window is then not coming);
// when the shell gives no process (a document handed to a program already
// running), that period starts at once.
// The caller's current directory is back as it was on return, on the
// failure path too. Otherwise there is no time limit. Raises -14 when memory
// runs out, or -N when the folder cannot be made current or the shell cannot
// start the program (Windows error N).
// With wait false the call returns as soon as the shell has started the
// program (or opened the folder or document), whatever windowTitle says,
// and keeps no handle of what it started.
void LaunchAndWait(const char* programPath, const char* windowTitle, bool wait);

#if LAUNCHER_MENU_EXTRAS
// Hands target (a full path or a web address) to the shell's default verb as
// it is, from the current directory, and returns once the shell has started
// what opens it: nothing is waited for. Raises -N when the shell cannot
// (Windows error N).
void OpenWithShell(const char* target);
#endif
