// PURPOSE: runs the launcher's install script interpreter on script 1 of this
// program's resources, exactly as SETUP.EXE runs the script of a confirmed
// button. Exit code 0 when the script succeeded, 1 when it failed.
#include <windows.h>
#include "runtime/error_frame.h"
#include "script/install_script.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ErrorCode code = Protect([] { RunInstallScript(1); });
    return code == kNoError ? 0 : 1;
}
