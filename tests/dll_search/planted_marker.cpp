// PURPOSE: the DLL a planter would leave beside a program. When Windows loads
// it, it leaves "<its own path>.loaded" as proof and refuses to stay loaded,
// so the program goes on as if the load had failed.
#include <windows.h>

extern "C" BOOL WINAPI PlantedMarkerEntry(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return FALSE;
    lstrcpyA(path + length, ".loaded");
    HANDLE proof = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (proof != INVALID_HANDLE_VALUE) CloseHandle(proof);
    return FALSE;
}
