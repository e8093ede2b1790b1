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

typedef HANDLE(WINAPI* CreateJobObjectAFunction)(LPSECURITY_ATTRIBUTES, LPCSTR);
typedef BOOL(WINAPI* AssignProcessToJobObjectFunction)(HANDLE, HANDLE);

// Job objects came with Windows 2000: looked up, so that the stand-in still
// starts on Windows 95.
template <typename Function>
Function KernelFunction(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

void LogFailure(const StandinOptions& options, const char* event) {
    char detail[32];
    wsprintfA(detail, "error=%lu", GetLastError());
    LogEvent(options.log, event, detail);
}

// Starts this program again with the same arguments and /mode=window last,
// with the given creation flags; the thread is left as it was created.
bool StartWindowChild(const StandinOptions& options, const char* arguments, DWORD flags,
                      PROCESS_INFORMATION& child) {
    char commandLine[2048];
    wsprintfA(commandLine, "\"%.260s\" %.1600s /mode=window", options.program, arguments);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(0, commandLine, 0, 0, FALSE, flags, 0, 0, &startup, &child)) {
        LogFailure(options, "child-failed");
        return false;
    }
    char detail[32];
    wsprintfA(detail, "child=%lu", child.dwProcessId);
    LogEvent(options.log, "child-started", detail);
    return true;
}

bool StartChild(const StandinOptions& options, const char* arguments, DWORD flags) {
    PROCESS_INFORMATION child;
    if (!StartWindowChild(options, arguments, flags, child)) return false;
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return true;
}

// As installers do that manage their children in a job of their own: the
// child starts suspended outside the job it was born in (where nested jobs do
// not exist, a process can be in one job only) and joins a new job.
bool StartChildInOwnJob(const StandinOptions& options, const char* arguments) {
    CreateJobObjectAFunction createJob = KernelFunction<CreateJobObjectAFunction>("CreateJobObjectA");
    AssignProcessToJobObjectFunction assign =
        KernelFunction<AssignProcessToJobObjectFunction>("AssignProcessToJobObject");
    HANDLE job = createJob ? createJob(0, 0) : 0;
    if (!job || !assign) {
        LogFailure(options, "job-failed");
        return false;
    }
    PROCESS_INFORMATION child;
    bool started = StartWindowChild(options, arguments, CREATE_SUSPENDED | CREATE_BREAKAWAY_FROM_JOB, child);
    bool joined = started && assign(job, child.hProcess);
    if (started && !joined) {
        LogFailure(options, "job-failed");
        TerminateProcess(child.hProcess, 1);
    }
    if (joined) {
        LogEvent(options.log, "child-in-job", "");
        ResumeThread(child.hThread);
    }
    if (started) {
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    // The job lives on with the child in it.
    CloseHandle(job);
    return joined;
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
        if (!StartChild(options, arguments, 0)) exitCode = 1;
    } else if (SameAscii(options.mode, "breakaway")) {
        if (!StartChild(options, arguments, CREATE_BREAKAWAY_FROM_JOB)) exitCode = 1;
    } else if (SameAscii(options.mode, "jobchild")) {
        if (!StartChildInOwnJob(options, arguments)) exitCode = 1;
    } else if (SameAscii(options.mode, "window")) {
        if (options.delayMs > 0) Sleep(static_cast<DWORD>(options.delayMs));
        if (!RunInstallerWindows(options, instance)) exitCode = 1;
    }
    wsprintfA(detail, "code=%d", exitCode);
    LogEvent(options.log, "exit", detail);
    return exitCode;
}
