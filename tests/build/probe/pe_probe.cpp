// PURPOSE: a tiny program for the checks of check_pe.py. Built once the way
// the shipped programs are (it must pass) and in deliberately wrong ways (each
// must fail): a newer import, code for the i686, a newer subsystem version, a
// C runtime DLL, an import by ordinal.
#include <windows.h>

namespace {

// A data-dependent choice between two values: for the i686 the compiler
// makes it a conditional move, for the i486 a jump.
int __attribute__((noinline)) Larger(int a, int b) {
    return a > b ? a : b;
}

}  // namespace

#ifdef PROBE_WITH_C_RUNTIME
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return Larger(static_cast<int>(GetTickCount()), 3) == 0;
}
#else
extern "C" void WinMainCRTStartup() {
    int result = Larger(static_cast<int>(GetTickCount()), static_cast<int>(GetCurrentProcessId()));
#ifdef PROBE_NEWER_IMPORT
    // Windows 98 and NT 4.0 have it, Windows 95 RTM does not.
    WIN32_FILE_ATTRIBUTE_DATA data;
    result += GetFileAttributesExA("C:\\", GetFileExInfoStandard, &data);
#endif
    MessageBeep(static_cast<UINT>(result));
    ExitProcess(0);
}
#endif
