// PURPOSE: run-time look-up of kernel32's newer functions; see kernel_functions.h.
#include "kernel_functions.h"
#include <windows.h>

void* KernelFunctionAddress(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return 0;
    return reinterpret_cast<void*>(GetProcAddress(kernel, name));
}
