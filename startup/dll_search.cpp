// PURPOSE: restricting the DLL search order at start-up. Both calls are newer
// than Windows 95, so they are looked up at run time and used only when
// present; the programs import nothing that Windows 95 lacks.
#include "dll_search.h"
#include <windows.h>

namespace {

// SetDefaultDllDirectories comes with Windows 8 (and Windows Vista/7 with
// update KB2533623); SetDllDirectoryA with Windows XP SP1.
const DWORD kSearchSystem32 = 0x00000800;   // LOAD_LIBRARY_SEARCH_SYSTEM32
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryFunction)(LPCSTR);

}  // namespace

void RestrictDllSearch() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    SetDefaultDllDirectoriesFunction setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    // Only the system directory is searched, not even the program's own
    // folder, which is exactly where a planted DLL would lie.
    if (setDefault && setDefault(kSearchSystem32)) return;
    SetDllDirectoryFunction setDirectory = reinterpret_cast<SetDllDirectoryFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    // The empty string removes the current directory from the search; the
    // program's folder stays, which is the best these systems allow.
    if (setDirectory) setDirectory("");
}
