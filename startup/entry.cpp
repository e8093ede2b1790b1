// PURPOSE: the entry point of a program linked without a C runtime: restricts
// the DLL search, runs the global constructors, WinMain and the exit
// handlers, then ends the process.
#include <windows.h>
#include "dll_search.h"
#include "exit_handlers.h"

typedef void (*Constructor)();
extern "C" Constructor __CTOR_LIST__[];

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

namespace {

void RunGlobalConstructors() {
    // The list starts with -1 (count unknown) or a count, ends with a null,
    // and runs from its end towards its start, as the toolchain expects.
    unsigned long count = reinterpret_cast<unsigned long>(__CTOR_LIST__[0]);
    if (count == static_cast<unsigned long>(-1))
        for (count = 0; __CTOR_LIST__[count + 1] != 0; ++count) {}
    for (unsigned long i = count; i >= 1; --i) __CTOR_LIST__[i]();
}

// The command line after the program name, as WinMain's lpCmdLine.
LPSTR ArgumentsOf(LPSTR line) {
    if (*line == '"') {
        ++line;
        while (*line && *line != '"') ++line;
        if (*line == '"') ++line;
    } else {
        while (*line > ' ') ++line;
    }
    while (*line && *line <= ' ') ++line;
    return line;
}

}  // namespace

extern "C" void WinMainCRTStartup() {
    // First of all, before any constructor or window could make Windows load
    // a DLL by name from the program's folder.
    RestrictDllSearch();
    RunGlobalConstructors();
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    int result = WinMain(GetModuleHandleA(NULL), NULL, ArgumentsOf(GetCommandLineA()), show);
    RunExitHandlers();
    ExitProcess(static_cast<UINT>(result));
}
