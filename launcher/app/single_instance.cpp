// PURPOSE: the single-instance guard: a 4-byte named file mapping that holds
// the first copy's process id.
#include "single_instance.h"
#include <windows.h>
#include "runtime/char_search.h"
#include "runtime/error_frame.h"

namespace {

HANDLE g_instanceMapping = NULL;
const DWORD kWaitForIdMs = 30000;

// A mapping name cannot hold backslashes (they separate namespaces on NT),
// and kernel object names are case-sensitive while file names are not: the
// letters go into one case so that every spelling of one launcher's path
// (an AutoRun start, a double-click, a lower-case drive letter) names one
// mapping. CharUpperA leaves the trail bytes of double-byte characters
// alone. False when the path cannot be had.
bool NameAfterLauncherPath(char (&name)[MAX_PATH]) {
    name[0] = '\0';
    if (GetModuleFileNameA(NULL, name, MAX_PATH) == 0) return false;
    name[MAX_PATH - 1] = '\0';
    for (char* at = FindFirstChar(name, '\\'); at; at = FindFirstChar(at + 1, '\\')) *at = '/';
    CharUpperA(name);
    return true;
}

// The first copy stores its id just after creating the mapping; a copy
// started in between waits for it, keeping its message queue moving.
DWORD ReadFirstCopyId(HANDLE mapping) {
    const volatile DWORD* stored =
        static_cast<const volatile DWORD*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    if (!stored) return 0;
    DWORD id = 0;
    DWORD start = GetTickCount();
    for (;;) {
        id = *stored;
        if (id != 0) break;
        MSG message;
        if (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE) && message.message == WM_QUIT) break;
        if (GetTickCount() - start > kWaitForIdMs) break;
    }
    UnmapViewOfFile(const_cast<DWORD*>(stored));
    return id;
}

// Brings forward the first copy's topmost visible window. Hidden top-level
// windows of that process (input-method windows on newer Windows) are passed
// over: activating one would show nothing.
void ActivateWindowOf(DWORD processId) {
    for (HWND window = GetTopWindow(NULL); window; window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != processId || !IsWindowVisible(window)) continue;
        DWORD version = GetVersion();
        bool windowsNt = (version & 0x80000000u) == 0;
        if (windowsNt || (version & 0xFF) >= 4) SetForegroundWindow(window);
        else SetActiveWindow(window);
        return;
    }
}

}  // namespace

void ClaimSingleInstance() {
    char name[MAX_PATH];
    // Without its own path the launcher cannot tell itself from another copy.
    if (!NameAfterLauncherPath(name)) RaiseError(kQuietStop);
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, 4, name);
    if (!mapping) RaiseError(kQuietStop);
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        DWORD* stored = static_cast<DWORD*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
        if (!stored) {
            CloseHandle(mapping);
            RaiseError(kQuietStop);
        }
        *stored = GetCurrentProcessId();
        UnmapViewOfFile(stored);
        g_instanceMapping = mapping;
        return;
    }
    DWORD firstCopy = ReadFirstCopyId(mapping);
    CloseHandle(mapping);
    if (firstCopy != 0) ActivateWindowOf(firstCopy);
    RaiseError(kQuietStop);
}

void ReleaseSingleInstance() {
    if (g_instanceMapping) CloseHandle(g_instanceMapping);
    g_instanceMapping = NULL;
}
