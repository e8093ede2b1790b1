// PURPOSE: the menu and the chosen button's script, round after round when
// the disc chooses to come back to the menu (the menu variant only).
#include "app/menu_rounds.h"

#if LAUNCHER_MENU_EXTRAS
#include "app/bitmap_menu.h"
#include "app/confirm_button.h"
#include "app/language_bases.h"
#include "app/menu_options.h"
#include "runtime/error_frame.h"
#include "script/install_script.h"

// What each round leaves is back where it was: the script restores the
// current directory and ends the busy cursor on every path, and the
// single-instance mapping stays claimed by this copy for the whole run.
void RunMenuRounds() {
    do {
        // The exit button and the close command raise 1 here, out of the
        // rounds: the launcher ends.
        int32_t button = RunMenu(static_cast<int32_t>(DialogBase()), ConfirmButton);
        // A failed script has shown its dialog and raised 1; that ends the
        // round, not the launcher.
        ErrorCode code = Protect([&] {
            RunInstallScript(static_cast<uint32_t>(button) + ScriptBase() - 2);
        });
        if (code == kNoError) MarkButtonDone(button);
    } while (MenuOptions() & kMenuReturn);
}
#endif
