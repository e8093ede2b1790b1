// PURPOSE: a stand-in for a component's installer (setup.exe), for tests and
// the demo disc. Like real installers it may hand its window to a child
// process and exit early, or fail before showing anything. Every run logs
// what it does (standin_log.h); standin_options.h lists the settings.
#include <windows.h>
#include "standin_log.h"
#include "standin_options.h"
#include "standin_window.h"

namespace {

// Read through a pointer the compiler cannot see to be null, so that the
// crash is a genuine access violation.
int* volatile g_nowhere = 0;

// Starts this program again with the same arguments and /mode=window last.
bool StartWindowChild(const StandinOptions& options, const char* arguments) {
    char commandLine[2048];
    wsprintfA(commandLine, "\"%.260s\" %.1600s /mode=window", options.program, arguments);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child;
    if (!CreateProcessA(0, commandLine, 0, 0, FALSE, 0, 0, 0, &startup, &child)) return false;
    char detail[32];
    wsprintfA(detail, "child=%lu", child.dwProcessId);
    LogEvent(options.log, "child-started", detail);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    StandinOptions options;
    ReadOptions(options, arguments);
    // The error mode is inherited from whoever started us; logged so that a
    // test can see what the waiter set.
    UINT errorMode = SetErrorMode(0);
    SetErrorMode(errorMode);
    char detail[400];
    wsprintfA(detail, "mode=%s errormode=0x%x title=%.300s", options.mode, errorMode, options.title);
    LogEvent(options.log, "start", detail);

    int exitCode = options.exitCode;
    if (SameAscii(options.mode, "crash")) {
        LogEvent(options.log, "crash", "");
        *g_nowhere = 1;
    } else if (SameAscii(options.mode, "child")) {
        if (!StartWindowChild(options, arguments)) exitCode = 1;
    } else if (SameAscii(options.mode, "window")) {
        if (options.delayMs > 0) Sleep(static_cast<DWORD>(options.delayMs));
        if (!RunInstallerWindows(options, instance)) exitCode = 1;
    }
    wsprintfA(detail, "code=%d", exitCode);
    LogEvent(options.log, "exit", detail);
    return exitCode;
}
