// PURPOSE: the waiter's look-up of kernel32's newer functions as a system
// without them answers: a test build of the real waiter links this in place
// of waiter/kernel_functions.cpp. Built with WITHOUT_PROCESS_LIST it lacks
// what Windows NT 4.0 lacks (job objects and the process list); without it,
// what Windows 95, 98 and ME lack (job objects).
#include "waiter/kernel_functions.h"
#include <windows.h>

namespace {

const char* const kMissing[] = {
    "CreateJobObjectA",
    "AssignProcessToJobObject",
    "QueryInformationJobObject",
    "SetInformationJobObject",
#ifdef WITHOUT_PROCESS_LIST
    "CreateToolhelp32Snapshot",
    "Process32First",
    "Process32Next",
#endif
};

}  // namespace

void* KernelFunctionAddress(const char* name) {
    for (const char* missing : kMissing)
        if (lstrcmpA(missing, name) == 0) return 0;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<void*>(GetProcAddress(kernel, name)) : 0;
}
