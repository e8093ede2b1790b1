// PURPOSE: the launcher's entry and whole control flow: one copy per disc,
// the user's language, a Windows version that can run the installation, the
// menu, and the install script of the confirmed button (in the menu variant,
// round after round when the disc chooses it). Everything runs
// inside the outermost error frame, which swallows whatever reaches it (any
// report to the user has been made by then); the exit code is always 0.
#include <windows.h>
#include "app/bitmap_menu.h"
#include "app/confirm_button.h"
#include "app/language_bases.h"
#include "app/menu_rounds.h"
#include "app/single_instance.h"
#include "app/version_gate.h"
#include "runtime/error_frame.h"
#include "script/install_script.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Protect([] {
        ClaimSingleInstance();
        ChooseLanguage();
        CheckWindowsVersion();
#if LAUNCHER_MENU_EXTRAS
        RunMenuRounds();
#else
        int32_t button = RunMenu(static_cast<int32_t>(DialogBase()), ConfirmButton);
        // Button 2 runs the script base S, button 3 S + 1, and so on.
        RunInstallScript(static_cast<uint32_t>(button) + ScriptBase() - 2);
#endif
    });
    ReleaseSingleInstance();
    return 0;
}
