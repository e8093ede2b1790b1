// PURPOSE: a stand-in program for the DLL planting tests.
//   dll_search_probe restricted     restricts the DLL search as the shipped
//                                   programs do, then opens a window
//   dll_search_probe unrestricted   opens a window with the search untouched
//   dll_search_probe                (as setup.exe beside a waiter) no window
// Each then stays until it is ended, at most a minute.
#include <windows.h>
#include <string.h>
#include "dll_search.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    bool restricted = strcmp(arguments, "restricted") == 0;
    bool unrestricted = strcmp(arguments, "unrestricted") == 0;
    if (restricted) RestrictDllSearch();
    if (restricted || unrestricted) {
        // Windows loads part of its user interface DLLs with the first window.
        CreateWindowA("STATIC", "dll search probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                      NULL, NULL, GetModuleHandleA(NULL), NULL);
    }
    Sleep(60000);
    return 0;
}
