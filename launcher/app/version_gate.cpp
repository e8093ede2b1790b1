// PURPOSE: the Windows version gate run at start-up.
#include "version_gate.h"
#include <windows.h>
#include "app/language_bases.h"
#include "app/message_dialog.h"
#include "resources/resource_ids.h"
#include "runtime/error_frame.h"

namespace {

// Windows 95 keeps major.minor in the high word of the build number:
// 4.00.1111 (OSR2) and later pass at once.
const DWORD kLastEarlyWindows95Build = 0x04000456;

// Windows 95 "a" updates and later record a sub-version; a value too long for
// the buffer counts as present.
bool HasSubVersionNumber() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    BYTE value[32];
    DWORD size = sizeof value;
    LONG result = RegQueryValueExA(key, "SubVersionNumber", NULL, NULL, value, &size);
    RegCloseKey(key);
    if (result == ERROR_MORE_DATA) return true;
    return result == ERROR_SUCCESS && size > 0 && value[0] != 0;
}

void Refuse() {
    ShowMessageDialog(DialogBase() + OFFSET_NT_REQUIRED, MB_ICONHAND);
    RaiseError(kQuietStop);
}

}  // namespace

void CheckWindowsVersion() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;   // 148
    if (!GetVersionExA(&version)) Refuse();
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (version.dwMajorVersion < 4) Refuse();
        return;
    }
    if (version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) Refuse();
    if (version.dwBuildNumber > kLastEarlyWindows95Build || HasSubVersionNumber()) return;
    if (ShowMessageDialog(DialogBase() + OFFSET_OLD_WINDOWS95, MB_ICONQUESTION) != IDOK)
        RaiseError(kQuietStop);
}
