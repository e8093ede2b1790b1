// PURPOSE: the menu and the chosen button's script, round after round when
// the disc chooses to come back to the menu (the menu variant only).
#pragma once

#if LAUNCHER_MENU_EXTRAS
// Shows the menu and runs the confirmed button's script; a script that ran to
// its end marks its button done. With kMenuReturn the menu then comes back,
// whether the script was done or failed (its dialog has been shown), until
// the exit button or the close command ends it; without, one round is all,
// as in the plain launcher. Raises 1 when the menu ends without a button
// (the launcher then ends), and never for a script.
void RunMenuRounds();
#endif
