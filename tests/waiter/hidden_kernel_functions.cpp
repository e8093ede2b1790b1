// PURPOSE: the waiter's look-up of kernel32's newer functions as other
// systems answer: a test build of the real waiter links this in place of
// waiter/kernel_functions.cpp. Built with
//   WITHOUT_JOBS          it finds no job objects (Windows 95 to ME, NT 4.0);
//   WITHOUT_PROCESS_LIST  no process list either (Windows NT 4.0);
//   FIRST_JOIN_FAILS      the first process offered to AssignProcessToJobObject
//                         never joins, as for a waiter in a job that allows
//                         no second one (Windows XP to 7); others do.
#include "waiter/kernel_functions.h"
#include <windows.h>

namespace {

const char* const kMissing[] = {
#ifdef WITHOUT_JOBS
    "CreateJobObjectA", "AssignProcessToJobObject", "QueryInformationJobObject", "SetInformationJobObject",
#endif
#ifdef WITHOUT_PROCESS_LIST
    "CreateToolhelp32Snapshot", "Process32First", "Process32Next",
#endif
    "",
};

void* SystemFunction(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<void*>(GetProcAddress(kernel, name)) : 0;
}

#ifdef FIRST_JOIN_FAILS
typedef BOOL(WINAPI* AssignFunction)(HANDLE, HANDLE);
typedef DWORD(WINAPI* ProcessIdFunction)(HANDLE);
DWORD g_refused = 0;

// The first process offered can never join, as a process started inside a
// job that allows no second one cannot; one started out of it can.
BOOL WINAPI RefuseFirstProcess(HANDLE job, HANDLE process) {
    DWORD id = reinterpret_cast<ProcessIdFunction>(SystemFunction("GetProcessId"))(process);
    if (g_refused == 0) g_refused = id;
    if (id == g_refused) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return reinterpret_cast<AssignFunction>(SystemFunction("AssignProcessToJobObject"))(job, process);
}
#endif

}  // namespace

void* KernelFunctionAddress(const char* name) {
    for (const char* missing : kMissing)
        if (*missing && lstrcmpA(missing, name) == 0) return 0;
#ifdef FIRST_JOIN_FAILS
    if (lstrcmpA(name, "AssignProcessToJobObject") == 0) return reinterpret_cast<void*>(RefuseFirstProcess);
#endif
    return SystemFunction(name);
}
