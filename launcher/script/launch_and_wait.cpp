// PURPOSE: the start-and-wait of an install script's program.
#include "launch_and_wait.h"
#include <windows.h>
#include <shellapi.h>
#include "runtime/char_search.h"
#include "runtime/directory_queries.h"
#include "runtime/error_frame.h"
#include "runtime/heap.h"

// The shell checks cbSize against the one record size that every 32-bit
// Windows since 95 knows.
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA must be 60 bytes");

namespace {

const DWORD kFindWindowInterval = 500;
const DWORD kWatchWindowInterval = 2000;

// Without a process handle (the shell handed the file to a program already
// running) nothing tells when the window can no longer come: that counts as
// ended from the start.
bool HasEnded(HANDLE process) {
    return !process || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

// Looks for the first window titled title until there is one, or until the
// started process has ended and no such window has been there for
// kEndedProgramGraceMs: a program that handed its work to another process
// leaves it that long to open the window, and a program that ended without
// one, or a running program that took the file and shows no such window,
// does not keep the script waiting for ever. Null when the wait gave up.
HWND FindTitledWindow(const char* title, HANDLE started) {
    bool holding = false;
    DWORD endedSince = 0;
    HWND window;
    while ((window = FindWindowA(NULL, title)) == NULL) {
        if (HasEnded(started)) {
            DWORD now = GetTickCount();
            if (!holding) {
                holding = true;
                endedSince = now;
            } else if (now - endedSince >= kEndedProgramGraceMs) {
                return NULL;
            }
        }
        Sleep(kFindWindowInterval);
    }
    return window;
}

// Waits until the process that owns the first window titled title has ended.
// When that process cannot be opened for waiting, the window itself is
// watched: its owner id reads differently (0) once it is gone.
void AwaitWindowOwner(const char* title, HANDLE started) {
    HWND window = FindTitledWindow(title, started);
    if (!window) return;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    // A window closed between finding it and asking for its owner reads
    // owner 0, which no later reading would differ from: it has come and
    // gone, and there is no process left to tell apart.
    if (owner == 0) return;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, owner);
    if (process) {
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
        return;
    }
    DWORD now;
    do {
        Sleep(kWatchWindowInterval);
        now = 0;
        GetWindowThreadProcessId(window, &now);
    } while (now == owner);
}

// Starts fileName from the current directory through the shell's default
// verb, so documents start with their associated program, and waits unless
// told not to.
void StartAndAwait(const char* fileName, const char* windowTitle, bool wait) {
    SHELLEXECUTEINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = fileName;
    info.nShow = SW_SHOW;
    if (!ShellExecuteExA(&info)) RaiseError(LastWindowsError());
    if (wait) {
        // The started program may hand its work to another process (an
        // installer that unpacks and restarts itself): the titled window's
        // owner is what counts, the started process only tells when the
        // window can no longer be expected.
        if (windowTitle) AwaitWindowOwner(windowTitle, info.hProcess);
        else if (info.hProcess) WaitForSingleObject(info.hProcess, INFINITE);
    }
    // No process handle (the shell handed the file to a running program):
    // there is nothing to wait for.
    if (info.hProcess) CloseHandle(info.hProcess);
}

}  // namespace

void LaunchAndWait(const char* programPath, const char* windowTitle, bool wait) {
    char* programDirectory = 0;
    char* saved = 0;
    bool moved = false;
    ErrorCode code = Protect([&] {
        const char* fileName = programPath;
        const char* backslash = FindLastChar(programPath, '\\');
        if (backslash) {
            // The folder with a trailing "\." so that a drive root ("C:\")
            // and any other folder read alike.
            size_t prefix = static_cast<size_t>(backslash - programPath) + 1;
            programDirectory = AllocateArrayOrRaise<char>(prefix + 2);
            memcpy(programDirectory, programPath, prefix);
            programDirectory[prefix] = '.';
            programDirectory[prefix + 1] = '\0';
            fileName = backslash + 1;
            saved = QueryCurrentDirectory();
            if (!SetCurrentDirectoryA(programDirectory)) RaiseError(LastWindowsError());
            moved = true;
        }
        // The program inherits the current directory: it stays the
        // program's folder for as long as the program is waited for.
        StartAndAwait(fileName, windowTitle, wait);
    });
    // The folder is given back in the one frame whatever happened; the
    // first error is the one to report.
    if (moved && !SetCurrentDirectoryA(saved) && code == kNoError) code = LastWindowsError();
    Release(saved);
    Release(programDirectory);
    PassOn(code);
}

#if LAUNCHER_MENU_EXTRAS
void OpenWithShell(const char* target) {
    StartAndAwait(target, 0, false);
}
#endif
