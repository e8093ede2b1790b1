// PURPOSE: setup.exe's process and job. Windows 95, 98, ME and NT 4.0 have no
// job objects, so their functions are looked up at run time.
#include "installer_process.h"

namespace {

typedef HANDLE(WINAPI* CreateJobObjectAFunction)(LPSECURITY_ATTRIBUTES, LPCSTR);
typedef BOOL(WINAPI* AssignProcessToJobObjectFunction)(HANDLE, HANDLE);
typedef BOOL(WINAPI* QueryInformationJobObjectFunction)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD,
                                                         LPDWORD);
typedef BOOL(WINAPI* SetInformationJobObjectFunction)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD);

template <typename Function>
Function KernelFunction(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return 0;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

void CloseAndNull(HANDLE& handle) {
    if (handle) CloseHandle(handle);
    handle = 0;
}

// A new job holding the (still suspended) process, or null. Assignment fails
// when the waiter itself is in a job that allows no nesting; the waiter then
// does without. The job only counts processes: an installer may start its
// children outside it (CREATE_BREAKAWAY_FROM_JOB) or in a job of its own,
// which without nested jobs (Windows Vista and 7) also needs the breakaway.
HANDLE NewJobHolding(HANDLE process) {
    CreateJobObjectAFunction createJob = KernelFunction<CreateJobObjectAFunction>("CreateJobObjectA");
    AssignProcessToJobObjectFunction assign =
        KernelFunction<AssignProcessToJobObjectFunction>("AssignProcessToJobObject");
    SetInformationJobObjectFunction setLimits =
        KernelFunction<SetInformationJobObjectFunction>("SetInformationJobObject");
    if (!createJob || !assign || !setLimits ||
        !KernelFunction<QueryInformationJobObjectFunction>("QueryInformationJobObject"))
        return 0;
    HANDLE job = createJob(0, 0);
    if (!job) return 0;
    // The breakaway permission is one of the extended limits.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    ZeroMemory(&limits, sizeof limits);
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    // A job that would make the installer's own job handling fail is worse
    // than none.
    if (!setLimits(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) || !assign(job, process))
        CloseAndNull(job);
    return job;
}

}  // namespace

DWORD StartInstaller(char* commandLine, Installer& installer) {
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started;
    // Suspended, so that it cannot start a child before it is in the job.
    if (!CreateProcessA(0, commandLine, 0, 0, FALSE, CREATE_SUSPENDED, 0, 0, &startup, &started)) {
        DWORD error = GetLastError();
        return error ? error : ERROR_FILE_NOT_FOUND;
    }
    installer.process = started.hProcess;
    installer.job = NewJobHolding(started.hProcess);
    DWORD resumed = ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    if (resumed == static_cast<DWORD>(-1)) {
        DWORD error = GetLastError();
        TerminateProcess(installer.process, 1);
        ReleaseInstaller(installer);
        return error ? error : ERROR_GEN_FAILURE;
    }
    return 0;
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
    QueryInformationJobObjectFunction query =
        KernelFunction<QueryInformationJobObjectFunction>("QueryInformationJobObject");
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting;
    if (!query || !query(installer.job, JobObjectBasicAccountingInformation, &accounting,
                         sizeof accounting, 0))
        return kLivenessUnknown;
    return accounting.ActiveProcesses != 0 ? kAlive : kEnded;
}

void ReleaseInstaller(Installer& installer) {
    CloseAndNull(installer.job);
    CloseAndNull(installer.process);
}
