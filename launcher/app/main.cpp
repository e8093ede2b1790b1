// PURPOSE: the launcher's entry: everything runs inside the outermost error
// frame, which swallows whatever reaches it; the exit code is always 0.
#include <windows.h>
#include "app/bitmap_menu.h"
#include "app/confirm_button.h"
#include "runtime/error_frame.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Protect([] {
        // The chosen button's install script runs here once the interpreter
        // exists; until then a confirmed button simply ends the launcher.
        RunMenu(static_cast<int32_t>(DialogBase()), ConfirmButton);
    });
    return 0;
}
