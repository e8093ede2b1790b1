// PURPOSE: setup.exe's process, job and descendants. Windows 95, 98, ME and
// NT 4.0 have no job objects, and NT 4.0 has no process list, so those
// functions are looked up at run time.
#include "installer_process.h"
#include <tlhelp32.h>
#include "kernel_functions.h"

namespace {

typedef HANDLE(WINAPI* CreateJobObjectAFunction)(LPSECURITY_ATTRIBUTES, LPCSTR);
typedef BOOL(WINAPI* AssignProcessToJobObjectFunction)(HANDLE, HANDLE);
typedef BOOL(WINAPI* QueryInformationJobObjectFunction)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD,
                                                         LPDWORD);
typedef BOOL(WINAPI* SetInformationJobObjectFunction)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD);
typedef HANDLE(WINAPI* CreateToolhelp32SnapshotFunction)(DWORD, DWORD);
typedef BOOL(WINAPI* Process32Function)(HANDLE, LPPROCESSENTRY32);

void CloseAndNull(HANDLE& handle) {
    if (handle) CloseHandle(handle);
    handle = 0;
}

// A new job that lets its processes break away, or null where the system has
// no job objects. The job only counts processes: an installer may start its
// children outside it (CREATE_BREAKAWAY_FROM_JOB) or in a job of its own,
// which without nested jobs (Windows Vista and 7) also needs the breakaway.
HANDLE NewJob() {
    CreateJobObjectAFunction createJob = KernelFunction<CreateJobObjectAFunction>("CreateJobObjectA");
    SetInformationJobObjectFunction setLimits =
        KernelFunction<SetInformationJobObjectFunction>("SetInformationJobObject");
    // The job functions came together (Windows 2000): one answers for all.
    if (!createJob || !setLimits) return 0;
    HANDLE job = createJob(0, 0);
    if (!job) return 0;
    // The breakaway permission is one of the extended limits. A job that
    // would make the installer's own job handling fail is worse than none.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    ZeroMemory(&limits, sizeof limits);
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    if (!setLimits(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) CloseAndNull(job);
    return job;
}

bool JoinJob(HANDLE job, HANDLE process) {
    return KernelFunction<AssignProcessToJobObjectFunction>("AssignProcessToJobObject")(job, process) != FALSE;
}

// setup.exe, suspended so that it cannot start a child before it is in the job.
bool CreateSuspended(char* commandLine, DWORD flags, PROCESS_INFORMATION& started) {
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    return CreateProcessA(0, commandLine, 0, 0, FALSE, CREATE_SUSPENDED | flags, 0, 0, &startup,
                          &started) != FALSE;
}

void Discard(PROCESS_INFORMATION& started) {
    TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

}  // namespace

DWORD StartInstaller(char* commandLine, Installer& installer) {
    PROCESS_INFORMATION started;
    if (!CreateSuspended(commandLine, 0, started)) {
        DWORD error = GetLastError();
        return error ? error : ERROR_FILE_NOT_FOUND;
    }
    HANDLE job = NewJob();
    if (job && !JoinJob(job, started.hProcess)) {
        // The waiter runs in a job that allows no second one (Windows XP to
        // 7). Started out of that job, where it allows it, setup.exe can join
        // a job of its own; until then it has run no instruction of its own.
        PROCESS_INFORMATION outside;
        if (CreateSuspended(commandLine, CREATE_BREAKAWAY_FROM_JOB, outside)) {
            Discard(started);
            started = outside;
        }
        if (!JoinJob(job, started.hProcess)) CloseAndNull(job);
    }
    installer.process = started.hProcess;
    installer.job = job;
    StartFamily(installer.family, started.dwProcessId);
    DWORD resumed = ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    if (resumed != static_cast<DWORD>(-1)) return 0;
    TerminateProcess(installer.process, 1);
    ReleaseInstaller(installer);
    return ERROR_GEN_FAILURE;
}

Liveness ProcessLiveness(const Installer& installer) {
    if (!installer.process) return kLivenessUnknown;
    switch (WaitForSingleObject(installer.process, 0)) {
    case WAIT_OBJECT_0: return kEnded;
    case WAIT_TIMEOUT: return kAlive;
    default: return kLivenessUnknown;
    }
}

Liveness JobLiveness(const Installer& installer) {
    if (!installer.job) return kLivenessUnknown;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting;
    if (!KernelFunction<QueryInformationJobObjectFunction>("QueryInformationJobObject")(
            installer.job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting, 0))
        return kLivenessUnknown;
    return accounting.ActiveProcesses != 0 ? kAlive : kEnded;
}

Liveness DescendantsLiveness(Installer& installer) {
    // The process list's functions came together (Windows 95, 2000): one
    // answers for all.
    CreateToolhelp32SnapshotFunction snapshotOf =
        KernelFunction<CreateToolhelp32SnapshotFunction>("CreateToolhelp32Snapshot");
    if (!snapshotOf) return kLivenessUnknown;
    HANDLE snapshot = snapshotOf(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return kLivenessUnknown;
    Process32Function first = KernelFunction<Process32Function>("Process32First");
    Process32Function next = KernelFunction<Process32Function>("Process32Next");
    Liveness liveness = FamilyLiveness(installer.family, [&](auto visit) {
        PROCESSENTRY32 entry;
        entry.dwSize = sizeof entry;
        if (!first(snapshot, &entry)) return false;
        do
            visit(entry.th32ProcessID, entry.th32ParentProcessID);
        while (next(snapshot, &entry));
        return true;
    });
    CloseHandle(snapshot);
    return liveness;
}

void ReleaseInstaller(Installer& installer) {
    CloseAndNull(installer.job);
    CloseAndNull(installer.process);
}
