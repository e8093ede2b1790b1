// PURPOSE: kernel32 functions that not every Windows has (job objects came
// with Windows 2000, the process list with 95 and 2000 but not NT 4.0),
// looked up by name at run time so that the waiter starts on every system.
#pragma once

// The function's address, or null where the system lacks it.
void* KernelFunctionAddress(const char* name);

template <typename Function>
Function KernelFunction(const char* name) {
    return reinterpret_cast<Function>(KernelFunctionAddress(name));
}
