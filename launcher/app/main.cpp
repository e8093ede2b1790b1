// PURPOSE: the launcher's entry: everything runs inside the outermost error
// frame, which swallows whatever reaches it; the exit code is always 0.
#include <windows.h>
#include "runtime/error_frame.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Protect([] {});
    return 0;
}
